// An MDI frame: its documents live in its client window.
object MdiFrame: TMdiFrame
  Left = 0
  Top = 0
  Width = 400
  Height = 300
  Caption = 'フレーム'
  FormStyle = fsMDIForm
end
