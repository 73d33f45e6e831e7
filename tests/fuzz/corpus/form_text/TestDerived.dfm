inherited TestDerived: TTestDerived
  Hint = '派生フォーム'
  Width = 800
  inherited Button1: TTestChild
    Caption = '決定'
  end
  object Extra: TTestChild
    Left = 5
  end
end
