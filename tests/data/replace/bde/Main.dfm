inherited Form1: TForm1
  Left = 192
  Top = 107
  Caption = 'Customers'
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 13
  object Database1: TDatabase
    AliasName = 'SalesSrv'
    DatabaseName = 'Sales'
    LoginPrompt = False
    Params.Strings = (
      'DATABASE NAME=northwind'
      'USER NAME=sa'
      'PASSWORD=s3cret'
      'SERVER NAME=srv1')
    SessionName = 'Default'
    TransIsolation = tiDirtyRead
    Left = 16
    Top = 8
  end
  object qCustomers: TQuery
    DatabaseName = 'Sales'
    SQL.Strings = (
      'select * from customer')
    UpdateObject = usCustomers
    Left = 56
    Top = 8
  end
  object dsCustomers: TDataSource
    DataSet = qCustomers
    Left = 96
    Top = 8
  end
  object qOrders: TQuery
    DatabaseName = 'Sales'
    DataSource = dsCustomers
    SQL.Strings = (
      'select * from orders'
      'where CustNo = :CustNo')
    Left = 136
    Top = 8
    ParamData = <
      item
        DataType = ftInteger
        Name = 'CustNo'
        ParamType = ptUnknown
      end>
  end
  object tItems: TTable
    DatabaseName = 'Sales'
    IndexFieldNames = 'OrderNo'
    IndexDefs = <>
    MasterFields = 'OrderNo'
    MasterSource = dsCustomers
    TableName = 'items'
    Left = 176
    Top = 8
  end
  object spTotals: TStoredProc
    DatabaseName = 'Sales'
    StoredProcName = 'calc_totals'
    Left = 216
    Top = 8
    ParamData = <
      item
        DataType = ftFloat
        Name = 'Result'
        ParamType = ptResult
      end
      item
        DataType = ftInteger
        Name = '@CustNo'
        ParamType = ptInput
      end>
  end
  object usCustomers: TUpdateSQL
    ModifySQL.Strings = (
      'update customer set Name = :Name'
      'where CustNo = :OLD_CustNo')
    DeleteSQL.Strings = (
      'delete from customer where CustNo = :OLD_CustNo')
    Left = 256
    Top = 8
  end
  object bmArchive: TBatchMove
    Destination = tItems
    Mode = batAppend
    Source = qOrders
    Left = 296
    Top = 8
  end
  inherited Panel1: TPanel
    Height = 200
    object qDeep: TQuery
      DatabaseName = 'Sales'
      SQL.Strings = (
        'select count(*) from orders')
      Left = 8
      Top = 8
    end
  end
  object qOuter: TQuery
    DatabaseName = 'Sales'
    SQL.Strings = (
      'select * from archive')
    Left = 336
    Top = 8
    object tInner: TTable
      DatabaseName = 'Sales'
      TableName = 'inner'
    end
  end
end
