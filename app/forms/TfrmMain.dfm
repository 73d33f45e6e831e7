// The main form: the drawing control over the whole screen, its frame timer and named pictures,
// the toolbar of the left edge with its actions, the settings and board colour panels, the file
// and grid lists, the dialogs and the page thumbnails.
object frmMain: TfrmMain
  Left = 0
  Top = 0
  Width = 1024
  Height = 768
  BorderStyle = bsNone
  Caption = 'Vel 黒板 Qz'
  Color = clBlack
  KeyPreview = True
  ShowHint = True
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
  object tbMain: TUcToolBar
    Left = 0
    Top = 0
    Width = 44
    Height = 716
    Align = alNone
    ButtonHeight = 40
    ButtonWidth = 40
    Color = clBtnFace
    Flat = True
    Images = ilToolbar
    ShowHint = True
    Visible = False
    object btnNew: TUcToolButton
      Left = 0
      Top = 0
      Action = actNew
      Wrap = True
    end
    object btnOpen: TUcToolButton
      Left = 0
      Top = 40
      Action = actOpen
      Wrap = True
    end
    object btnSave: TUcToolButton
      Left = 0
      Top = 80
      Action = actSave
      Wrap = True
    end
    object ToolButton1: TUcToolButton
      Left = 0
      Top = 120
      Width = 8
      Style = tbsSeparator
      Wrap = True
    end
    object btnPicture: TUcToolButton
      Left = 0
      Top = 128
      Action = actPicture
      Wrap = True
    end
    object btnDate: TUcToolButton
      Left = 0
      Top = 168
      Action = actDate
      Wrap = True
    end
    object ToolButton2: TUcToolButton
      Left = 0
      Top = 208
      Width = 8
      Style = tbsSeparator
      Wrap = True
    end
    object btnGrid: TUcToolButton
      Left = 0
      Top = 216
      Action = actGrid
      Wrap = True
    end
    object btnGridSwitch: TUcToolButton
      Left = 0
      Top = 256
      Action = actGridSwitch
      Wrap = True
    end
    object btnBoardColor: TUcToolButton
      Left = 0
      Top = 296
      Action = actBoardColor
      Wrap = True
    end
    object btnOption: TUcToolButton
      Left = 0
      Top = 336
      Action = actOption
      Wrap = True
    end
    object ToolButton3: TUcToolButton
      Left = 0
      Top = 376
      Width = 8
      Style = tbsSeparator
      Wrap = True
    end
    object btnCamera: TUcToolButton
      Left = 0
      Top = 384
      Action = actCamera
      Wrap = True
    end
    object btnLogRec: TUcToolButton
      Left = 0
      Top = 424
      Action = actLogRec
      Wrap = True
      Style = tbsCheck
    end
    object btnLogPlay: TUcToolButton
      Left = 0
      Top = 464
      Action = actLogPlay
      Wrap = True
      Style = tbsCheck
    end
    object btnLogOpen: TUcToolButton
      Left = 0
      Top = 504
      Action = actLogOpen
      Wrap = True
    end
    object btnLogSave: TUcToolButton
      Left = 0
      Top = 544
      Action = actLogSave
      Wrap = True
    end
    object btnVideoSave: TUcToolButton
      Left = 0
      Top = 584
      Action = actVideoSave
      Wrap = True
      Caption = 'ログデータを動画で保存'
      Hint = 'ログデータを動画で保存'
    end
    object ToolButton4: TUcToolButton
      Left = 0
      Top = 624
      Width = 8
      Style = tbsSeparator
      Wrap = True
    end
    object btnAbout: TUcToolButton
      Left = 0
      Top = 632
      Action = actAbout
      Wrap = True
    end
    object btnExit: TUcToolButton
      Left = 0
      Top = 672
      Action = actExit
      Wrap = True
    end
  end
  object lstFiles: TFileListBox
    Left = 44
    Top = 40
    Width = 256
    Height = 512
    Visible = False
    OnClick = lstFilesClick
  end
  object lstGrids: TUcListBox
    Left = 44
    Top = 240
    Width = 256
    Height = 512
    Visible = False
    OnClick = lstGridsClick
  end
  object pnlSetting: TPanel
    Left = 332
    Top = 234
    Width = 360
    Height = 260
    BevelInner = bvRaised
    Color = clBtnFace
    Visible = False
    object Label1: TUcLabel
      Left = 16
      Top = 18
      Caption = 'グリッドの大きさ (5〜1024)'
    end
    object edtGridSize: TSpinEdit
      Left = 240
      Top = 14
      Width = 100
      Height = 24
      MaxValue = 1024
      MinValue = 5
      Value = 32
    end
    object chkYogore: TUcCheckBox
      Left = 16
      Top = 52
      Width = 328
      Height = 24
      Caption = '消した跡をうっすら残す'
      Checked = True
    end
    object chkChalkKasure: TUcCheckBox
      Left = 16
      Top = 80
      Width = 328
      Height = 24
      Caption = 'チョークのかすれ'
      Checked = True
    end
    object chkDate: TUcCheckBox
      Left = 16
      Top = 108
      Width = 328
      Height = 24
      Caption = '新しいページに日付を書く'
      Checked = True
    end
    object chkLogProgBar: TUcCheckBox
      Left = 16
      Top = 136
      Width = 328
      Height = 24
      Caption = '再生中に進み具合を表示する'
      Checked = True
    end
    object chkCtrlNoBold: TUcCheckBox
      Left = 16
      Top = 164
      Width = 328
      Height = 24
      Caption = 'Ctrl キーを押しながら細い線で書く'
      Checked = True
    end
    object btnOK: TUcBitBtn
      Left = 136
      Top = 208
      Width = 100
      Height = 34
      Caption = 'OK'
      OnClick = btnOKClick
    end
    object btnCancel: TUcBitBtn
      Left = 244
      Top = 208
      Width = 100
      Height = 34
      Caption = 'キャンセル'
      OnClick = btnCancelClick
    end
  end
  object pnlBoardColor: TPanel
    Left = 44
    Top = 240
    Width = 232
    Height = 148
    BevelInner = bvRaised
    Color = clBtnFace
    Visible = False
    object rbBackColor: TUcRadioGroup
      Left = 8
      Top = 8
      Width = 150
      Height = 130
      Caption = '黒板の色'
      Items.Strings = (
        '標準'
        'クラシック'
        'カスタム')
      OnClick = rbBackColorClick
    end
    object ColorSampleStandard: TPanel
      Left = 168
      Top = 30
      Width = 52
      Height = 24
      BevelOuter = bvLowered
      Color = 20480
    end
    object ColorSampleClassical: TPanel
      Left = 168
      Top = 66
      Width = 52
      Height = 24
      BevelOuter = bvLowered
      Color = 2629150
    end
    object pnBackColor: TPanel
      Left = 168
      Top = 102
      Width = 52
      Height = 24
      BevelOuter = bvLowered
      Color = 3622490
      OnClick = pnBackColorClick
    end
  end
  object pnlVideoWriting: TPanel
    Left = 362
    Top = 304
    Width = 300
    Height = 120
    BevelInner = bvRaised
    Color = clBtnFace
    Visible = False
    object Label2: TUcLabel
      Left = 16
      Top = 14
      Caption = 'いっしょうけんめいビデオを撮影中です...'
    end
    object lblProgress: TUcLabel
      Left = 16
      Top = 36
      Caption = '(0/9999)'
    end
    object prgVideo: TProgressBar
      Left = 16
      Top = 58
      Width = 268
      Height = 16
    end
    object btnAbort: TUcBitBtn
      Left = 184
      Top = 82
      Width = 100
      Height = 28
      Caption = '中止(&C)'
    end
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
  object AL: TUcActionList
    Images = ilToolbar
    object actNew: TUcAction
      Caption = '新規黒板'
      Hint = '新規黒板'
      ImageIndex = 0
      ShortCut = 16462
      OnExecute = actNewExecute
    end
    object actOpen: TUcAction
      Caption = '黒板を開く'
      Hint = '黒板を開く'
      ImageIndex = 1
      ShortCut = 16463
      OnExecute = actOpenExecute
    end
    object actSave: TUcAction
      Caption = '黒板を保存'
      Hint = '黒板を保存'
      ImageIndex = 2
      ShortCut = 16467
      OnExecute = actSaveExecute
    end
    object actPicture: TUcAction
      Caption = '挿入する画像を選択'
      Hint = '挿入する画像を選択'
      ImageIndex = 3
      ShortCut = 16464
      OnExecute = actPictureExecute
    end
    object actDate: TUcAction
      Caption = '日付を書く'
      Hint = '日付を書く'
      ImageIndex = 4
      ShortCut = 120
      OnExecute = actDateExecute
    end
    object actGrid: TUcAction
      Caption = 'グリッドのオンオフ'
      Hint = 'グリッドのオンオフ'
      ImageIndex = 5
      ShortCut = 16455
      AutoCheck = True
      OnExecute = actGridExecute
    end
    object actGridSwitch: TUcAction
      Caption = 'グリッドの選択'
      Hint = 'グリッドの選択'
      ImageIndex = 6
      OnExecute = actGridSwitchExecute
    end
    object actBoardColor: TUcAction
      Caption = '黒板の色の設定'
      Hint = '黒板の色の設定'
      ImageIndex = 7
      OnExecute = actBoardColorExecute
    end
    object actOption: TUcAction
      Caption = '設定パネルの表示'
      Hint = '設定パネルの表示'
      ImageIndex = 8
      ShortCut = 113
      OnExecute = actOptionExecute
    end
    object actCamera: TUcAction
      Caption = '撮影する'
      Hint = '撮影する'
      ImageIndex = 9
      ShortCut = 123
      OnExecute = actCameraExecute
    end
    object actLogRec: TUcAction
      Caption = 'ログデータを取り始める'
      Hint = 'ログデータを取り始める'
      ImageIndex = 10
      ShortCut = 121
      OnExecute = actLogRecExecute
    end
    object actLogPlay: TUcAction
      Caption = 'ログデータを再生'
      Hint = 'ログデータを再生'
      ImageIndex = 11
      ShortCut = 122
      OnExecute = actLogPlayExecute
    end
    object actLogOpen: TUcAction
      Caption = 'ログデータの読み込み'
      Hint = 'ログデータの読み込み'
      ImageIndex = 13
      OnExecute = actLogOpenExecute
    end
    object actLogSave: TUcAction
      Caption = 'ログデータの保存'
      Hint = 'ログデータの保存'
      ImageIndex = 14
      OnExecute = actLogSaveExecute
    end
    object actVideoSave: TUcAction
      Caption = 'ログデータを保存'
      Hint = 'ログデータを保存'
      ImageIndex = 15
      OnExecute = actVideoSaveExecute
    end
    object actAbout: TUcAction
      Caption = 'バージョン情報'
      Hint = 'バージョン情報'
      ImageIndex = 16
      ShortCut = 114
      OnExecute = actAboutExecute
    end
    object actExit: TUcAction
      Caption = 'アプリケーションの終了'
      Hint = 'アプリケーションの終了'
      ImageIndex = 17
      OnExecute = actExitExecute
    end
  end
  object od: TUcOpenDialog
    Filter = '画像 (*.jpg;*.jpeg;*.bmp;*.png)|*.jpg;*.jpeg;*.bmp;*.png'
  end
  object sd: TUcSaveDialog
  end
  object cd: TColorDialog
  end
  object arc: TArchiveFile
  end
  object ilPreview: TImageList
    Height = 120
    Width = 160
  end
  object ilToolbar: TImageList
    Height = 32
    Width = 32
  end
end
