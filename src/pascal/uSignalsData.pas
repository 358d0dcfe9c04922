{ The result store as the model library sees it. The workbench builds the object and its
  arrays in its own memory; the library only writes samples through SetData. The field order
  and widths must match the workbench's side exactly (VMT pointer, Samples, Maxima,
  SignalCount, SampleCount), and the arrays carry a reference count of -1 so the run-time
  library never counts or frees them. }
unit uSignalsData;

{$mode delphi}
{$OPTIMIZATION NOORDERFIELDS}

interface

uses
  SysUtils, Math;

type
  TSignalsData = class
  private
    FSamples: array of array of Double;
    FMaxima: array of Double;
    FSignalCount: Integer;
    FSampleCount: Integer;
  public
    procedure SetData(Signal, Quant: Integer; Value: Double);
  end;

  { Made visible to signal code, which can use no unit of its own. }
  Exception = SysUtils.Exception;
  EMathError = SysUtils.EMathError;

  { Raised instead of ending the process when a signal calls Halt or RunError. }
  EModelHalt = class(Exception);

var
  { The place of the last sample written, so that a fault can be given its quantum's time:
    the signals write in list order, quantum by quantum. -1 until the first write. }
  LastSignalWritten: Integer = -1;
  LastQuantWritten: Integer = -1;
  { Where the quantum being written is also told, for the workbench's progress display: a
    counter in memory the workbench shares with the model host, set by KvarilSetProgress;
    nil when nobody asks. }
  ProgressQuant: PInteger = nil;

procedure Halt(ExitCode: Longint = 0);
procedure RunError(ErrorCode: Word = 0);

{ Routines of the Math unit that signals commonly need. }
function Power(Base, Exponent: Double): Double;
function Tan(X: Double): Double;
function ArcSin(X: Double): Double;
function ArcCos(X: Double): Double;
function ArcTan2(Y, X: Double): Double;
function Log10(X: Double): Double;
function Log2(X: Double): Double;
function Sinh(X: Double): Double;
function Cosh(X: Double): Double;
function Tanh(X: Double): Double;
function Sign(X: Double): Double;
function Floor(X: Double): Integer;
function Ceil(X: Double): Integer;
function Min(A, B: Double): Double;
function Max(A, B: Double): Double;

implementation

procedure TSignalsData.SetData(Signal, Quant: Integer; Value: Double);
begin
  if (Signal < 0) or (Signal >= FSignalCount) or (Quant < 0) or (Quant >= FSampleCount) then
    raise ERangeError.CreateFmt('SetData(%d, %d): index out of range', [Signal, Quant]);
  FSamples[Signal][Quant] := Value;
  LastSignalWritten := Signal;
  LastQuantWritten := Quant;
  if ProgressQuant <> nil then ProgressQuant^ := Quant;
end;

procedure Halt(ExitCode: Longint);
begin
  raise EModelHalt.CreateFmt('Halt(%d)', [ExitCode]);
end;

procedure RunError(ErrorCode: Word);
begin
  raise EModelHalt.CreateFmt('RunError(%d)', [ErrorCode]);
end;

function Power(Base, Exponent: Double): Double; begin Result := Math.Power(Base, Exponent); end;
function Tan(X: Double): Double; begin Result := Math.Tan(X); end;
function ArcSin(X: Double): Double; begin Result := Math.ArcSin(X); end;
function ArcCos(X: Double): Double; begin Result := Math.ArcCos(X); end;
function ArcTan2(Y, X: Double): Double; begin Result := Math.ArcTan2(Y, X); end;
function Log10(X: Double): Double; begin Result := Math.Log10(X); end;
function Log2(X: Double): Double; begin Result := Math.Log2(X); end;
function Sinh(X: Double): Double; begin Result := Math.Sinh(X); end;
function Cosh(X: Double): Double; begin Result := Math.Cosh(X); end;
function Tanh(X: Double): Double; begin Result := Math.Tanh(X); end;
function Sign(X: Double): Double; begin Result := Math.Sign(X); end;
function Floor(X: Double): Integer; begin Result := Math.Floor(X); end;
function Ceil(X: Double): Integer; begin Result := Math.Ceil(X); end;
function Min(A, B: Double): Double; begin Result := Math.Min(A, B); end;
function Max(A, B: Double): Double; begin Result := Math.Max(A, B); end;

end.
