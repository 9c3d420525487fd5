object OrdersForm: TOrdersForm
  Left = 0
  Top = 0
  Caption = 'Orders'
  object Conn: TKyConnection
    ConnectString =  
            'Data Source=server1;Initial Catalog=northwind;Integrated Secur' +
            'ity=SSPI'
    IsolationLevel = ilReadCommitted
    Database = 'northwind'
    LoginPrompt = False
    Left = 8
  end
  object cmdPurge: TKySQL
    SQL.Strings = ('delete from orders where Shipped = 1')
    Connection = Conn
    Parameters = <>
    Left = 48
  end
  object dsOrders: TDataSource
    DataSet = dsetOrders
    Left = 88
  end
  object dsetOrders: TKyQuery
    Connection = Conn
    SQL.Strings = ('select * from orders')
    MasterSource = dsCustomers
    Left = 128
  end
  object tblItems: TKyTable
    Connection = Conn
    TableName = 'items'
    Left = 168
  end
  object qryCustomers: TKyQuery
    Connection = Conn
    MasterSource = dsOrders
    SQL.Strings = (
            'select * from customer')
    Left = 208
  end
  object spTotals: TKyStoredProc
    Connection = Conn
    StoredProcName = 'calc_totals;1'
    MasterSource = dsOrders
    Left = 248
  end
end
