{ VekxApi.pas: VEKXAPI.dll from Delphi and Free Pascal.

  Take the DLL of the kit that matches your program: the x86 kit's for a
  32-bit program (every Delphi up to XE2, the Win32 target after), the x64
  kit's for a 64-bit one (the Win64 target). Put VEKXAPI.dll beside the .exe.

    dcc32 ReadWeight.dpr               (Delphi, 32-bit; dcc64 for 64-bit)
    fpc -Mdelphi ReadWeight.dpr        (Free Pascal)

  The functions are the plain names in the standard calling convention
  (stdcall; the ...C twins are for C callers). C's int16_t is SmallInt,
  int32_t LongInt; field names, addresses and buffers are PAnsiChar, texts
  in Windows-1252 (AnsiString on a Western code page). The same unit links
  libvekxapi.so.1 on Linux, where the functions are cdecl.
  Reference: doc\pascal.html and doc\vekxapi.3.html. }
unit VekxApi;

interface

const
{$IFDEF MSWINDOWS}
  VekxLibrary = 'VEKXAPI.dll';
{$ELSE}
  VekxLibrary = 'libvekxapi.so.1';
{$ENDIF}
  VEKX_OK = 0;
  VEKX_NO_ANSWER = 1;
  VEKX_PROCESS_TYPE_1 = 1;
  VEKX_PROCESS_TYPE_2 = 2;
  { How many bytes VekDisplayText sends: exactly 16, as they are. }
  VEKX_DISPLAY_LENGTH = 16;

function VekRegisterProcess(process_type: SmallInt; address_list: PAnsiChar; address_count: LongInt): SmallInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external VekxLibrary;
function VekCloseProcess: SmallInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external VekxLibrary;
function VekRead(field_name: PAnsiChar; buffer_size: SmallInt; buffer: PAnsiChar; var count_out: SmallInt): SmallInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external VekxLibrary;
function VekFormattedRead(field_name: PAnsiChar; buffer_size: SmallInt; buffer: PAnsiChar;
  var count_out: SmallInt): SmallInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external VekxLibrary;
function VekReadP(field_name: PAnsiChar; buffer_size: SmallInt; buffer: PAnsiChar): SmallInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external VekxLibrary;
function VekWrite(field_name: PAnsiChar; data_length: SmallInt; data: PAnsiChar): SmallInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external VekxLibrary;
function VekFormattedWrite(field_name: PAnsiChar; data_length: SmallInt; data: PAnsiChar): SmallInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external VekxLibrary;
{ text: 16 bytes (VEKX_DISPLAY_LENGTH), sent as they are. }
function VekDisplayText(node: SmallInt; text: PAnsiChar): SmallInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external VekxLibrary;
function VekResetDisplay(node: SmallInt): SmallInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external VekxLibrary;
{ Only the low byte of key_code is sent. }
function VekSendKeystroke(node: SmallInt; key_kind: SmallInt; key_code: LongInt): SmallInt;
  {$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}; external VekxLibrary;

{ What a result of the library means, in a few words. }
function VekxResultMeaning(code: SmallInt): string;
{ What a status byte of the simulated terminal, vekxsim, means (a real
  terminal's status bytes are its own). Results 1, 2 and 4 of a read or
  write may be either the library's or the terminal's. }
function VekxSimulatorStatusMeaning(status: SmallInt): string;

implementation

function VekxResultMeaning(code: SmallInt): string;
begin
  case code of
    0: Result := 'success';
    -1: Result := 'already registered';
    -2: Result := 'not registered';
    -4: Result := 'no memory for the write request';
    1: Result := 'no usable answer';
    2: Result := 'bad argument';
    4: Result := 'bad node';
    5: Result := 'the address breaks the rules';
    10004: Result := 'interrupted call';
    10009: Result := 'bad socket handle';
    10013: Result := 'permission denied';
    10014: Result := 'bad memory address';
    10022: Result := 'invalid argument';
    10024: Result := 'too many open sockets';
    10035: Result := 'operation would block';
    10036: Result := 'operation in progress';
    10038: Result := 'node has no address';
    10040: Result := 'message too long';
    10048: Result := 'address in use';
    10049: Result := 'address not available';
    10050: Result := 'network is down';
    10051: Result := 'network unreachable';
    10054: Result := 'connection reset';
    10055: Result := 'no buffer space';
    10061: Result := 'connection refused';
    10065: Result := 'host unreachable';
  else
    if code >= 10004 then Result := 'Windows Sockets error' else Result := 'terminal status';
  end;
end;

function VekxSimulatorStatusMeaning(status: SmallInt): string;
begin
  case status of
    3: Result := 'no such field';
    4: Result := 'another node''s field';
    5: Result := 'unknown operation';
    6: Result := 'too large';
    7: Result := 'store full';
  else
    Result := 'terminal status';
  end;
end;

end.
