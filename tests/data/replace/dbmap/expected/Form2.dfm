object Form2: TForm2
  Left = 300
  Top = 200
  Caption = 'Orders'
  object Query1: TKyQuery
    Connection = DataModule1.DB1
    SQL.Strings = (
            'select * from orders')
    Left = 8
    Top = 8
  end
  object Table1: TKyTable
    TableName = 'old_orders'
    Left = 48
    Top = 8
  end
end
