{ The model library: the generated unit KVM and what the model host needs to run it safely.
  The three routines of KVM are exported under their own names; KvarilCallModel runs
  MainModelProc so that any fault inside the signals comes back as an exception's class and
  message instead of ending the process. }
library kvml;

{$mode delphi}

uses
  SysUtils, Math, uSignalsData, KVM in 'kvm.pas';

type
  TMainModelProc = procedure(const aSignalsData: TSignalsData); stdcall;

procedure FpcSignalHandler; external name '_FPC_DEFAULTSIGHANDLER';

{ The run-time library's handler that turns SIGFPE, SIGSEGV, SIGBUS and SIGILL into
  exceptions. A library does not keep it installed, so the host installs it for the call. }
function KvarilSignalHandler: Pointer; cdecl;
begin
  Result := @FpcSignalHandler;
end;

procedure CopyText(const S: AnsiString; Buffer: PAnsiChar; Size: Integer);
var
  N: Integer;
begin
  if (Buffer = nil) or (Size <= 0) then Exit;
  N := Length(S);
  if N > Size - 1 then N := Size - 1;
  if N > 0 then Move(S[1], Buffer^, N);
  Buffer[N] := #0;
end;

{ 0: the model ran; 1: it raised an exception (class and message in the buffers). }
function KvarilCallModel(Proc: TMainModelProc; Store: TSignalsData;
  ClassName: PAnsiChar; ClassSize: Integer; Msg: PAnsiChar; MsgSize: Integer): Integer; cdecl;
var
  OldMask: TFPUExceptionMask;
begin
  OldMask := GetExceptionMask;
  { Unmasked as in a Delphi program: division by zero, overflow and invalid operations raise. }
  SetExceptionMask([exDenormalized, exUnderflow, exPrecision]);
  try
    try
      Proc(Store);
      asm
        fwait
      end;
      Result := 0;
    except
      on E: Exception do begin
        CopyText(E.ClassName, ClassName, ClassSize);
        CopyText(E.Message, Msg, MsgSize);
        Result := 1;
      end;
      else begin
        CopyText(ExceptObject.ClassName, ClassName, ClassSize);
        CopyText('', Msg, MsgSize);
        Result := 1;
      end;
    end;
  finally
    ClearExceptions(False);
    SetExceptionMask(OldMask);
    { The host ends without the run-time's exit code: what the model printed goes out now. }
    {$I-}
    Flush(Output);
    Flush(ErrOutput);
    {$I+}
  end;
end;

{ The counter that SetData keeps at the quantum being written (the host's shared report). }
procedure KvarilSetProgress(Counter: PInteger); cdecl;
begin
  ProgressQuant := Counter;
end;

{ Where the last sample was written (-1, -1 before the first). }
procedure KvarilLastWritten(Signal, Quant: PInteger); cdecl;
begin
  Signal^ := LastSignalWritten;
  Quant^ := LastQuantWritten;
end;

exports
  MainModelProc,
  GetErrorFactor,
  GetErrorIndex,
  KvarilSignalHandler,
  KvarilCallModel,
  KvarilLastWritten,
  KvarilSetProgress;

begin
end.
