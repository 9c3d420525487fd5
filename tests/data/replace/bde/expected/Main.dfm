inherited Form1: TForm1
  Left = 192
  Top = 107
  Caption = 'Customers'
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 13
  object Database1: TKyConnection
    LoginPrompt = False
    Database = 'northwind'
    Username = 'sa'
    Password = 's3cret'
    Server = 'srv1'
    IsolationLevel = ilReadUnCommitted
    Left = 16
    Top = 8
  end
  object qCustomers: TKyQuery
    Connection = Form1.Database1
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
  object qOrders: TKyQuery
    Connection = Form1.Database1
    MasterSource = dsCustomers
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
  object tItems: TKyTable
    Connection = Form1.Database1
    DetailFields = 'OrderNo'
    MasterFields = 'OrderNo'
    MasterSource = dsCustomers
    TableName = 'items'
    Left = 176
    Top = 8
  end
  object spTotals: TKyStoredProc
    Connection = Form1.Database1
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
  object usCustomers: TKyUpdateSQL
    ModifySQL.Strings = (
            'update customer set Name = :Name'
            'where CustNo = :OLD_CustNo')
    DeleteSQL.Strings = (
            'delete from customer where CustNo = :OLD_CustNo')
    Left = 256
    Top = 8
  end
  object bmArchive: TQeBatchMove
    Destination = tItems
    Mode = batAppend
    Source = qOrders
    Left = 296
    Top = 8
  end
  inherited Panel1: TPanel
    Height = 200
    object qDeep: TKyQuery
      Connection = Form1.Database1
      SQL.Strings = (
                'select count(*) from orders')
      Left = 8
      Top = 8
    end
  end
  object qOuter: TKyQuery
    Connection = Form1.Database1
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
