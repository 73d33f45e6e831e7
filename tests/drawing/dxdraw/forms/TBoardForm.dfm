// A drawing form as the board's main form streams its drawing components.
object BoardForm: TBoardForm
  Left = 0
  Top = 0
  Width = 320
  Height = 240
  BorderStyle = bsNone
  object DXDraw: TDXDraw
    Left = 0
    Top = 0
    Width = 320
    Height = 240
    AutoInitialize = True
    AutoSize = True
    Color = clBlack
    Display.FixedBitCount = True
    Display.FixedRatio = True
    Display.FixedSize = False
    Options = [doFullScreen, doAllowReboot, doWaitVBlank, doCenter, doDirectX7Mode, doHardware, doSelectDriver]
    SurfaceHeight = 240
    SurfaceWidth = 320
    Align = alClient
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
        Name = 'finger'
        PatternHeight = 0
        PatternWidth = 0
        SkipHeight = 0
        SkipWidth = 0
        SystemMemory = False
        Transparent = True
        TransparentColor = clBlack
      end
      item
        Name = 'Grid'
        Transparent = True
        TransparentColor = clBlack
      end
      item
        Name = 'prev'
        Transparent = False
        TransparentColor = clFuchsia
      end
      item
        Name = 'Grid'
        Transparent = True
        TransparentColor = clBlack
      end>
  end
end
