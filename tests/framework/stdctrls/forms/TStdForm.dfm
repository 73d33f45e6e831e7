// A form holding one of each standard control, with Japanese captions.
object StdForm: TStdForm
  Left = 0
  Top = 0
  Width = 480
  Height = 330
  BorderStyle = bsNone
  Caption = '設定'
  Color = clBtnFace
  object lblName: TLabel
    Left = 8
    Top = 12
    Caption = '題名(&T):'
    FocusControl = edtTitle
  end
  object edtTitle: TEdit
    Left = 80
    Top = 8
    Width = 160
    Text = '黒板'
    OnChange = edtTitleChange
  end
  object lstGrids: TListBox
    Left = 8
    Top = 40
    Width = 120
    Height = 90
    Items.Strings = (
      '方眼'
      '罫線'
      '五線譜')
    OnClick = lstGridsClick
  end
  object chkKasure: TCheckBox
    Left = 140
    Top = 40
    Width = 140
    Caption = 'チョークのかすれ'
    Checked = True
    OnClick = chkKasureClick
  end
  object chkDate: TCheckBox
    Left = 140
    Top = 62
    Width = 140
    Caption = '日付を書く'
    AllowGrayed = True
  end
  object rbBackColor: TRadioGroup
    Left = 290
    Top = 8
    Width = 180
    Height = 100
    Caption = '黒板の色'
    ItemIndex = 1
    Items.Strings = (
      '標準'
      'クラシック'
      'カスタム')
    OnClick = rbBackColorClick
  end
  object grpPen: TGroupBox
    Left = 140
    Top = 88
    Width = 140
    Height = 70
    Caption = 'ペン'
    object rbThin: TRadioButton
      Left = 8
      Top = 20
      Width = 120
      Caption = '細い'
      Checked = True
    end
    object rbThick: TRadioButton
      Left = 8
      Top = 42
      Width = 120
      Caption = '太い'
    end
  end
  object edtGridSize: TSpinEdit
    Left = 290
    Top = 116
    Width = 80
    MaxValue = 1024
    MinValue = 5
    Value = 32
  end
  object pnlSample: TPanel
    Left = 8
    Top = 170
    Width = 200
    Height = 60
    BevelInner = bvLowered
    Caption = 'パネルの見出し'
    Color = clWhite
  end
  object btnDefault: TButton
    Left = 220
    Top = 170
    Width = 90
    Caption = '適用(&A)'
    Default = True
    OnClick = btnDefaultClick
  end
  object btnOK: TBitBtn
    Left = 290
    Top = 250
    Width = 85
    Height = 30
    Kind = bkOK
  end
  object btnCancel: TBitBtn
    Left = 385
    Top = 250
    Width = 85
    Height = 30
    Caption = 'やめる'
    Kind = bkCancel
    Layout = blGlyphRight
  end
end
