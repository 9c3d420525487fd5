unit Legacy;

interface   
uses	DBTables, KyAccess, KyProvAccess, KyProvC, KyProvIntf, VantaAccess, VantaMem ,	Forms;  

type  TLegacy = class(TForm)	
	qOld: TKyQuery; // cafÈ Åç
  end;

const
  Raw = 'Åçê TQuery';	 

implementation

{$R *.dfm}

end.