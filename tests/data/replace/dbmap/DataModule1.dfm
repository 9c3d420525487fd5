object DataModule1: TDataModule1
  OldCreateOrder = False
  Left = 200
  Top = 120
  Height = 150
  Width = 215
  object DB1: TDatabase
    AliasName = 'SalesSrv'
    DatabaseName = 'Sales'
    LoginPrompt = False
    Params.Strings = (
      'USER NAME=sales')
    SessionName = 'Default'
    Left = 24
    Top = 16
  end
end
