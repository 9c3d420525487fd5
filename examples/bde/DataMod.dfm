object OrderData: TOrderData
  OldCreateOrder = False
  OnCreate = DataModuleCreate
  OnDestroy = DataModuleDestroy
  Left = 285
  Top = 161
  Height = 240
  Width = 320
  object dbOrderDesk: TDatabase
    AliasName = 'ORDERSQL'
    DatabaseName = 'OrderDesk'
    LoginPrompt = False
    Params.Strings = (
      'DATABASE NAME=orderdesk'
      'SERVER NAME=SQLSRV01'
      'USER NAME=orders'
      'OPEN MODE=READ/WRITE'
      'SCHEMA CACHE SIZE=8'
      'BLOB EDIT LOGGING='
      'LANGDRIVER='
      'SQLQRYMODE='
      'SQLPASSTHRU MODE=SHARED AUTOCOMMIT'
      'DATE MODE=0'
      'SCHEMA CACHE TIME=-1'
      'MAX QUERY TIME=300'
      'MAX ROWS=-1'
      'BATCH COUNT=200'
      'ENABLE SCHEMA CACHE=FALSE'
      'SCHEMA CACHE DIR='
      'HOST NAME='
      'APPLICATION NAME='
      'NATIONAL LANG NAME='
      'ENABLE BCD=FALSE'
      'TDS PACKET SIZE=4096'
      'BLOBS TO CACHE=64'
      'BLOB SIZE=32'
      'PASSWORD=desk2001')
    SessionName = 'Default'
    TransIsolation = tiReadCommitted
    Left = 40
    Top = 16
  end
  object qryCustomers: TQuery
    DatabaseName = 'OrderDesk'
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
  object qryNextNumber: TQuery
    DatabaseName = 'OrderDesk'
    SQL.Strings = (
      'update COUNTERS set LAST_NO = LAST_NO + 1 where NAME = '#39'ORDER'#39
      'select LAST_NO from COUNTERS where NAME = '#39'ORDER'#39)
    Left = 40
    Top = 128
  end
end
