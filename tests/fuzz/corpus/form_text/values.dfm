object A: TThing
  I = -5
  H = $7FFF
  Big = 1099511627776
  F = 1.25E-3
  S = 0.5s
  C = -12.3456c
  D = 45000.5d
  T = 'it''s'#13#10 + 'more'
  W = #40658'x'
  B = {
    0A0B0C}
  E = [a, b]
  L = (
    1
    'two'
    (
      nil))
  Col = <
    item
      X = True
    end
    item [2]
    end>
  inline Kid: TKid [1]
  end
end
