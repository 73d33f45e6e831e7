object TestRoot: TTestRoot
  Caption = '黒板 '#40658#26495
  Hint = 'tip'
  Width = 640
  Enabled = False
  Align = taClient
  Options = [toTwo, toFour]
  Ratio = 1.25
  Font.Charset = 128
  Font.Color = clRed
  Font.Height = -12
  Font.Name = 'Tahoma'
  Font.Style = [fsBold]
  Items.Strings = (
    'one'
    'two')
  Columns = <
    item
      Title = 'first'
    end
    item
      Title = 'second'
      Size = 20
    end>
  Partner = Button2
  OnCreate = FormCreate
  object Button1: TTestChild
    Caption = 'OK'
    Left = 8
    Buddy = Button2
    OnClick = ButtonClick
    object Inner: TTestChild
      Caption = 'inner'
    end
  end
  object Button2: TTestChild
    Caption = 'Cancel'
    Left = 96
  end
end
