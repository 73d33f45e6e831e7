// The main form: the drawing control over the whole screen, its frame timer and named pictures,
// the working folder's file list, the board colour chooser and the page thumbnails.
object frmMain: TfrmMain
  Left = 0
  Top = 0
  Width = 1024
  Height = 768
  BorderStyle = bsNone
  Caption = 'Vel 黒板 Qz'
  Color = clBlack
  KeyPreview = True
  OnClose = FormClose
  OnCloseQuery = FormCloseQuery
  OnCreate = FormCreate
  OnKeyDown = FormKeyDown
  OnMouseWheel = FormMouseWheel
  object DXDraw: TDXDraw
    Left = 0
    Top = 0
    Width = 1024
    Height = 768
    AutoInitialize = True
    AutoSize = True
    Color = clBlack
    Display.FixedBitCount = True
    Display.FixedRatio = True
    Display.FixedSize = False
    Options = [doFullScreen, doAllowReboot, doWaitVBlank, doCenter, doDirectX7Mode, doHardware, doSelectDriver]
    SurfaceHeight = 768
    SurfaceWidth = 1024
    Align = alClient
    OnMouseDown = DXDrawMouseDown
    OnMouseMove = DXDrawMouseMove
    OnMouseUp = DXDrawMouseUp
  end
  object lstFiles: TFileListBox
    Left = 64
    Top = 64
    Width = 320
    Height = 400
    Visible = False
  end
  object DXTimer: TDXTimer
    ActiveOnly = True
    Enabled = True
    Interval = 10
    OnTimer = DXTimerTimer
  end
  object DXIL: TDXImageList
    DXDraw = DXDraw
    Items = <
      item
        Name = 'NowTool'
        Transparent = True
        TransparentColor = clBlack
      end
      item
        Name = 'finger'
        Transparent = True
        TransparentColor = clBlack
      end
      item
        Name = 'eraser'
        Transparent = True
        TransparentColor = clBlack
      end
      item
        Name = 'longEraser'
        Transparent = True
        TransparentColor = clFuchsia
      end
      item
        Name = 'prev'
        Transparent = True
        TransparentColor = clBlack
      end
      item
        Name = 'next'
        Transparent = True
        TransparentColor = clBlack
      end
      item
        Name = 'AnimePic'
        Transparent = False
        TransparentColor = clBlack
      end
      item
        Name = 'DragPic'
        Transparent = False
        TransparentColor = clBlack
      end
      item
        Name = 'Grid'
        Transparent = True
        TransparentColor = clBlack
      end
      item
        Name = 'Help'
        Transparent = True
        TransparentColor = clBlack
      end
      item
        Name = 'memori'
        Transparent = True
        TransparentColor = clFuchsia
      end
      item
        Name = 'trijogi'
        Transparent = True
        TransparentColor = clFuchsia
      end
      item
        Name = 'icontri'
        Transparent = True
        TransparentColor = clFuchsia
      end
      item
        Name = 'nonprev'
        Transparent = True
        TransparentColor = clBlack
      end
      item
        Name = 'nonnext'
        Transparent = True
        TransparentColor = clBlack
      end
      item
        Name = 'UkezaraKona'
        Transparent = True
        TransparentColor = clBlack
      end>
  end
  object cd: TColorDialog
  end
  object ilPreview: TImageList
    Height = 120
    Width = 160
  end
end
