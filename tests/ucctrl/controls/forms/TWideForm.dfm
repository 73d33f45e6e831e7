// A wide form holding one control of each kind of the wide layer, with texts outside code page
// 932 (é, €, Hangul, ✓ and 𠮷, a surrogate pair) and the ANSI companions older form data kept.
object WideForm: TWideForm
  Left = 0
  Top = 0
  Width = 600
  Height = 400
  BorderStyle = bsNone
  Caption = '黒板 é€ 한국 ✓ 𠮷'
  Caption_UTF7 = '+j1Ze-'
  Color = clBtnFace
  Menu = mnuMain
  object lblTitle: TUcLabel
    Left = 8
    Top = 12
    Caption = '題名(&T) é€:'
    Hint = 'ラベル 한|長い 한국어'
    FocusControl = edtTitle
  end
  object edtTitle: TUcEdit
    Left = 120
    Top = 8
    Width = 200
    Text = 'Café 한글 𠮷'
    TextW = 'ignored'
    Hint = 'エディット €'
  end
  object lstGrids: TUcListBox
    Left = 8
    Top = 40
    Width = 150
    Height = 90
    Items.Strings = (
      '方眼 é'
      '罫線 €'
      '한국어 ✓'
      '𠮷野家')
    Items.WideStrings_UTF7 = (
      '+AOk-')
  end
  object chkKasure: TUcCheckBox
    Left = 170
    Top = 40
    Width = 160
    Caption = 'かすれ ✓ 한'
    Checked = True
  end
  object btnApply: TUcButton
    Left = 170
    Top = 64
    Width = 100
    Height = 24
    Caption = '適用(&A) €'
  end
  object rbBackColor: TUcRadioGroup
    Left = 340
    Top = 8
    Width = 200
    Height = 110
    Caption = '色 한국'
    ItemIndex = 1
    Items.Strings = (
      '標準 é'
      'クラシック €'
      '사용자 ✓ 𠮷')
  end
  object grpPen: TUcGroupBox
    Left = 170
    Top = 96
    Width = 160
    Height = 70
    Caption = 'ペン ✓'
    object rbThin: TUcRadioButton
      Left = 8
      Top = 20
      Width = 140
      Caption = '細い é'
      Checked = True
    end
  end
  object tbMain: TUcToolBar
    Left = 0
    Top = 320
    Width = 600
    Height = 40
    Align = alBottom
    ButtonWidth = 90
    ShowCaptions = True
    object btnNew: TUcToolButton
      Left = 0
      Top = 2
      Action = actNew
    end
    object btnSave: TUcToolButton
      Left = 90
      Top = 2
      Action = actSave
    end
  end
  object mnuMain: TMainMenu
    AutoHotkeys = maManual
    object mnuFile: TUcMenuItem
      Caption = 'ファイル(&F) é'
      object mnuNew: TUcMenuItem
        Action = actNew
      end
      object mnuSave: TUcMenuItem
        Caption = '保存 €'
        Hint = '保存する|黒板を 𠮷 保存'
        ShortCut = 16467
      end
    end
    object mnuHangul: TUcMenuItem
      Caption = '한국어'
    end
  end
  object AL: TUcActionList
    object actNew: TUcAction
      Caption = '新規 ✓'
      Hint = '新しい黒板 한|新しい黒板を作る 𠮷'
      ShortCut = 16462
    end
    object actSave: TUcAction
      Caption = '保存 €'
      Hint = '保存'
    end
  end
end
