// The page select strip: one thumbnail per page, a close panel, and a button out of sight that
// makes Esc close it.
object frmPageSelect: TfrmPageSelect
  Left = 0
  Top = 0
  Width = 309
  Height = 276
  Caption = 'ページの選択'
  Color = clBtnFace
  FormStyle = fsStayOnTop
  OnClose = FormClose
  OnCreate = FormCreate
  OnShow = FormShow
  object lstPreview: TListView
    Left = 0
    Top = 0
    Width = 301
    Height = 201
    Align = alClient
    IconOptions.AutoArrange = True
    LargeImages = ilPreview
    ReadOnly = True
    HideSelection = False
    ViewStyle = vsIcon
    OnDblClick = lstPreviewDblClick
  end
  object pnlClose: TPanel
    Left = 0
    Top = 201
    Width = 301
    Height = 41
    Align = alBottom
    Caption = '閉じる'
    OnClick = pnlCloseClick
    OnMouseDown = pnlCloseMouseDown
    OnMouseUp = pnlCloseMouseUp
  end
  object btnClose: TButton
    Left = 8
    Top = 208
    Width = 75
    Height = 25
    Cancel = True
    Caption = '閉じる'
    OnClick = btnCloseClick
  end
  object ilPreview: TImageList
    Height = 120
    Width = 160
    Masked = False
  end
end
