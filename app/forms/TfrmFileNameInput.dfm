// The title form of a board being saved.
object frmFileNameInput: TfrmFileNameInput
  Left = 0
  Top = 0
  Width = 420
  Height = 150
  BorderStyle = bsDialog
  Caption = '黒板の保存'
  Position = poOwnerFormCenter
  OnCloseQuery = FormCloseQuery
  OnShow = FormShow
  object lblMes: TUcLabel
    Left = 16
    Top = 16
    Caption = 'ファイルタイトルを入力してください。(拡張子を除く)'
  end
  object edtTitle: TUcEdit
    Left = 16
    Top = 40
    Width = 380
    Height = 24
  end
  object btnOK: TUcButton
    Left = 200
    Top = 80
    Width = 96
    Height = 28
    Caption = 'OK(&O)'
    Default = True
    ModalResult = 1
  end
  object btnCancel: TUcButton
    Left = 300
    Top = 80
    Width = 96
    Height = 28
    Caption = 'キャンセル(&C)'
    Cancel = True
    ModalResult = 2
  end
end
