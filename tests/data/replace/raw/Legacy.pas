unit Legacy;

interface   
uses	DBTables ,	Forms;  

type  TLegacy = class(TForm)	
	qOld: TQuery; // cafÈ Åç
  end;

const
  Raw = 'Åçê TQuery';	 

implementation

{$R *.dfm}

end.