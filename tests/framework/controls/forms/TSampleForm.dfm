// The sample form: Japanese captions on the form and on controls of the framework's own kinds
// (a self-painting board, graphic signs), aligned bands and a hint.
object SampleForm: TSampleForm
  Left = 40
  Top = 30
  Width = 440
  Height = 320
  BorderStyle = bsSingle
  Caption = 'Vel 黒板 Qz：見本のフォーム'
  Color = clBtnFace
  Font.Height = -16
  Font.Name = 'ＭＳ Ｐゴシック'
  ShowHint = True
  OnCreate = FormCreate
  object Title: TTextSign
    Left = 0
    Top = 0
    Height = 36
    Align = alTop
    Caption = 'こんにちは、ここは黒板です'
    Color = clWhite
    Font.Color = clNavy
    Font.Height = -20
    ParentColor = False
  end
  object Tray: TTextSign
    Left = 0
    Top = 250
    Height = 32
    Align = alBottom
    Caption = '受け皿：白・赤・黄のチョーク'
    Color = $00A0B0C0
    ParentColor = False
    Hint = '受け皿|チョークを選ぶところ'
  end
  object Board: TChalkBoard
    Left = 0
    Top = 36
    Align = alClient
    Caption = 'チョークで書こう'
    Color = $00285028
    ParentColor = False
    Font.Color = clWhite
    Font.Height = -24
    OnClick = BoardClick
  end
end
