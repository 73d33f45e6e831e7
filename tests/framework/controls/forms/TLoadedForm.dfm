// A form of the tests: properties, children inside children, events bound to methods by name.
object LoadedForm: TLoadedForm
  Left = 20
  Top = 30
  Width = 240
  Height = 160
  BorderStyle = bsNone
  Caption = '読み込み'
  Color = clWhite
  KeyPreview = True
  OnCreate = FormCreate
  OnShow = FormShow
  object Box1: TBox
    Left = 10
    Top = 10
    Width = 100
    Height = 60
    Color = clBlue
    OnClick = BoxClick
    object Dot1: TDot
      Left = 5
      Top = 5
      Width = 20
      Height = 20
      Color = clRed
      Hint = '点|赤い点'
      ShowHint = True
    end
  end
  object Bottom: TBox
    Height = 30
    Align = alBottom
    Color = clGreen
  end
end
