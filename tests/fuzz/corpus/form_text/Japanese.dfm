// Japanese captions, typed directly and as character codes.
object Board: TTestWide
  Caption = '黒板'#12354
  Count = 3
  Items.Strings = (
    '一行目'
    #19968#34892)
end
