{ ReadWeight: reads the weight from the KTRV program of a VekX terminal
  through VEKXAPI.dll and prints it, as read_weight.c does.

      ReadWeight [ADDRESS]        (the terminal's address; 127.0.0.1)

  dcc32 ReadWeight.dpr (Delphi) or fpc -Mdelphi ReadWeight.dpr (Free Pascal),
  beside VekxApi.pas. It runs with VEKXAPI.dll beside it; the port
  variables of README.txt apply. }
program ReadWeight;

{$IFDEF MSWINDOWS}{$APPTYPE CONSOLE}{$ENDIF}

uses
  VekxApi;

var
  Address: AnsiString;
  Weight: array[0..16] of AnsiChar; { the 16 bytes of /t1/wt101 and a closing zero }
  Count, Res: SmallInt;
begin
  if ParamCount > 0 then Address := AnsiString(ParamStr(1)) else Address := '127.0.0.1';
  FillChar(Weight, SizeOf(Weight), 0);
  Count := 0;
  Res := VekRegisterProcess(VEKX_PROCESS_TYPE_1, PAnsiChar(Address), 1);
  if Res <> VEKX_OK then
  begin
    WriteLn(ErrOutput, 'ReadWeight: VekRegisterProcess("', Address, '") returned ', Res, ' (',
      VekxResultMeaning(Res), '): the address or a port variable is not valid (README.txt)');
    Halt(1);
  end;
  Res := VekRead('/t1/wt101', SizeOf(Weight) - 1, @Weight[0], Count);
  VekCloseProcess;
  if Res <> VEKX_OK then
  begin
    WriteLn(ErrOutput, 'ReadWeight: reading /t1/wt101 from ', Address, ' returned ', Res, ' (',
      VekxResultMeaning(Res), '; 1: check the address, the cable, the firewall and VEKX_TERMINAL_PORT)');
    Halt(1);
  end;
  WriteLn('weight at ', Address, ': ', PAnsiChar(@Weight[0]));
end.
