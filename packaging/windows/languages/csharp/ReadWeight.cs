// ReadWeight: reads the weight from the KTRV program of a VekX terminal
// through VEKXAPI.dll and prints it, as read_weight.c does.
//
//     ReadWeight [ADDRESS]        (the terminal's address; 127.0.0.1)
//
//   csc /out:ReadWeight.exe ReadWeight.cs VekxApi.cs   (x86 kit: add /platform:x86,
//                                                       x64 kit: /platform:x64)
// It runs with VEKXAPI.dll beside it; the port variables of README.txt apply.
using System;
using Vekx;

static class ReadWeight
{
    static int Main(string[] args)
    {
        string address = args.Length > 0 ? args[0] : "127.0.0.1";
        try {
            using (var terminal = new Terminal(1, address)) {
                // The weight is 16 bytes of text filled up with zero bytes.
                Console.WriteLine("weight at " + address + ": " + terminal.ReadText("/t1/wt101", 17));
            }
            return 0;
        } catch (VekxException e) {
            Console.Error.WriteLine("ReadWeight: " + e.Message + " (1: no answer; check the address, the cable, " +
                                    "the firewall and VEKX_TERMINAL_PORT)");
            return 1;
        } catch (DllNotFoundException e) {
            Console.Error.WriteLine("ReadWeight: " + e.Message + ": put the VEKXAPI.dll of the kit that matches " +
                                    "this program's bitness beside ReadWeight.exe");
            return 1;
        }
    }
}
