object DataModule1: TDataModule1
  OldCreateOrder = False
  Left = 200
  Top = 120
  Height = 150
  Width = 215
  object DB1: TKyConnection
    LoginPrompt = False
    Username = 'sales'
    Left = 24
    Top = 16
  end
end
