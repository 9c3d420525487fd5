object OrdersForm: TOrdersForm
  Left = 0
  Top = 0
  Caption = 'Orders'
  object Conn: TADOConnection
    ConnectionString = 
      'Data Source=server1;Initial Catalog=northwind;Integrated Secur' +
      'ity=SSPI'
    IsolationLevel = ilCursorStability
    DefaultDatabase = 'northwind'
    LoginPrompt = False
    Provider = 'SQLOLEDB.1'
    Left = 8
  end
  object cmdPurge: TADOCommand
    CommandText = 'delete from orders where Shipped = 1'
    Connection = Conn
    Parameters = <>
    Left = 48
  end
  object dsOrders: TDataSource
    DataSet = dsetOrders
    Left = 88
  end
  object dsetOrders: TADODataSet
    Connection = Conn
    CommandText = 'select * from orders'
    DataSource = dsCustomers
    Parameters = <>
    Left = 128
  end
  object tblItems: TADOTable
    Connection = Conn
    TableName = 'items'
    IndexFieldNames = 'OrderNo'
    Left = 168
  end
  object qryCustomers: TADOQuery
    Connection = Conn
    DataSource = dsOrders
    SQL.Strings = (
      'select * from customer')
    Left = 208
  end
  object spTotals: TADOStoredProc
    Connection = Conn
    ProcedureName = 'calc_totals;1'
    DataSource = dsOrders
    Parameters = <>
    Left = 248
  end
end
