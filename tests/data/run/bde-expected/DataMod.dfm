object OrderData: TOrderData
  OldCreateOrder = False
  OnCreate = DataModuleCreate
  OnDestroy = DataModuleDestroy
  Left = 285
  Top = 161
  Height = 240
  Width = 320
  object dbOrderDesk: TKyConnection
    LoginPrompt = False
    Database = 'orderdesk'
    Username = 'orders'
    Password = 'desk2001'
    Server = 'SQLSRV01'
    IsolationLevel = ilReadCommitted
    Left = 40
    Top = 16
  end
  object qryCustomers: TKyQuery
    Connection = OrderData.dbOrderDesk
    SQL.Strings = (
            'select CUST_NO, COMPANY, CITY, COUNTRY, PHONE'
            'from CUSTOMERS'
            'order by COMPANY')
    Left = 40
    Top = 72
  end
  object dsCustomers: TDataSource
    DataSet = qryCustomers
    Left = 120
    Top = 72
  end
  object qryNextNumber: TKyQuery
    Connection = OrderData.dbOrderDesk
    SQL.Strings = (
            'update COUNTERS set LAST_NO = LAST_NO + 1 where NAME = '#39'ORDER'#39
            'select LAST_NO from COUNTERS where NAME = '#39'ORDER'#39)
    Left = 40
    Top = 128
  end
end
