object Form2: TForm2
  Left = 300
  Top = 200
  Caption = 'Orders'
  object Query1: TQuery
    DatabaseName = 'Sales'
    SQL.Strings = (
      'select * from orders')
    Left = 8
    Top = 8
  end
  object Table1: TTable
    DatabaseName = 'Archive'
    TableName = 'old_orders'
    Left = 48
    Top = 8
  end
end
