// A form with a menu bar: Japanese captions with mnemonics, shortcuts, hints, a separator, a
// checked item that takes an automatic mnemonic, and an edit that has the focus.
object MenuForm: TMenuForm
  Left = 40
  Top = 30
  Width = 420
  Height = 300
  BorderStyle = bsSingle
  Caption = 'メニューのあるフォーム'
  Color = clBtnFace
  Menu = MainMenu1
  object Edit1: TEdit
    Left = 16
    Top = 16
    Width = 200
    Height = 24
    Text = '黒板'
  end
  object MainMenu1: TMainMenu
    object FileMenu: TMenuItem
      Caption = 'ファイル(&F)'
      Hint = 'ファイル|ファイルの操作'
      object OpenItem: TMenuItem
        Caption = '開く(&O)...'
        Hint = '開く|黒板を開きます'
        ShortCut = 16463
        OnClick = OpenItemClick
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object QuitItem: TMenuItem
        Caption = '終了(&X)'
        Hint = '終了|プログラムを終わります'
        OnClick = QuitItemClick
      end
    end
    object EditMenu: TMenuItem
      Caption = '編集(&E)'
      object CopyItem: TMenuItem
        Caption = 'コピー(&C)'
        ShortCut = 16451
        OnClick = CopyItemClick
      end
      object GridItem: TMenuItem
        Caption = 'グリッド'
        Checked = True
        OnClick = GridItemClick
      end
    end
  end
end
