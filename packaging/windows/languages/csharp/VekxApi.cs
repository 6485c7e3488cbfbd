// VekxApi.cs: VEKXAPI.dll from C# (C# 3: .NET Framework 3.5 and later, .NET, Mono).
//
// Take the DLL of the kit that matches your program's bitness: the x86 kit's
// for a 32-bit process (Platform target x86, or AnyCPU with "Prefer 32-bit"),
// the x64 kit's for a 64-bit one (x64). A mismatch fails with
// BadImageFormatException. Put VEKXAPI.dll beside your .exe.
//
//   csc /platform:x86 /out:ReadWeight.exe ReadWeight.cs VekxApi.cs   (.NET Framework,
//                                                  x86 kit; x64 kit: /platform:x64)
//   mcs -out:ReadWeight.exe ReadWeight.cs VekxApi.cs     (Mono)
//
// NativeMethods holds the exports by their plain names, in the standard
// calling convention (the ...C twins are for C callers). Every argument is
// passed as the DLL takes it: texts and buffers as byte[] that the wrapper
// fills, never as string, so that no marshaller picks a code page or a
// length. Terminal is the small class to use: it encodes texts as
// Windows-1252, sizes the buffers and throws a VekxException for every
// result other than 0. Reference: doc\csharp.html and doc\vekxapi.3.html.
using System;
using System.Collections.Generic;
using System.Runtime.InteropServices;

namespace Vekx
{
    public static class NativeMethods
    {
        public const string Dll = "VEKXAPI.dll";

        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern short VekRegisterProcess(short processType, byte[] addressList, int addressCount);

        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern short VekCloseProcess();

        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern short VekRead(byte[] fieldName, short bufferSize, byte[] buffer, out short countOut);

        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern short VekFormattedRead(byte[] fieldName, short bufferSize, byte[] buffer,
                                                    out short countOut);

        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern short VekReadP(byte[] fieldName, short bufferSize, byte[] buffer);

        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern short VekWrite(byte[] fieldName, short dataLength, byte[] data);

        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern short VekFormattedWrite(byte[] fieldName, short dataLength, byte[] data);

        // text: exactly 16 bytes, sent as they are.
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern short VekDisplayText(short node, byte[] text);

        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern short VekResetDisplay(short node);

        // Only the low byte of keyCode is sent.
        [DllImport(Dll, CallingConvention = CallingConvention.StdCall, ExactSpelling = true)]
        public static extern short VekSendKeystroke(short node, short keyKind, int keyCode);
    }

    // Windows-1252, the code page of every text to and from the terminal,
    // done here so that it is the same on every .NET and on Mono.
    public static class CodePage
    {
        static readonly char[] High = {
            '\u20AC', '\u0081', '\u201A', '\u0192', '\u201E', '\u2026', '\u2020', '\u2021',
            '\u02C6', '\u2030', '\u0160', '\u2039', '\u0152', '\u008D', '\u017D', '\u008F',
            '\u0090', '\u2018', '\u2019', '\u201C', '\u201D', '\u2022', '\u2013', '\u2014',
            '\u02DC', '\u2122', '\u0161', '\u203A', '\u0153', '\u009D', '\u017E', '\u0178' };

        // A character without a byte in Windows-1252 becomes '?'.
        public static byte[] Encode(string text)
        {
            byte[] bytes = new byte[text.Length];
            for (int i = 0; i < text.Length; i++) {
                char c = text[i];
                int high = Array.IndexOf(High, c);
                if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) bytes[i] = (byte)c;
                else if (high >= 0) bytes[i] = (byte)(0x80 + high);
                else bytes[i] = (byte)'?';
            }
            return bytes;
        }

        // The text up to the first zero byte.
        public static string Decode(byte[] bytes, int count)
        {
            var text = new System.Text.StringBuilder(count);
            for (int i = 0; i < count && bytes[i] != 0; i++)
                text.Append(bytes[i] >= 0x80 && bytes[i] < 0xA0 ? High[bytes[i] - 0x80] : (char)bytes[i]);
            return text.ToString();
        }

        // A name or an address as the DLL takes it: the bytes and a closing zero.
        public static byte[] ZeroTerminated(string text)
        {
            byte[] bytes = Encode(text);
            Array.Resize(ref bytes, bytes.Length + 1);
            return bytes;
        }
    }

    // What each result means. Results 1, 2 and 4 are also possible terminal
    // status values: the number alone does not say whose it is.
    public static class Results
    {
        static readonly Dictionary<int, string> Library = new Dictionary<int, string> {
            { 0, "success" },
            { -1, "already registered" },
            { -2, "not registered" },
            { -4, "no memory for the write request" },
            { 1, "no usable answer" },
            { 2, "bad argument" },
            { 4, "bad node" },
            { 5, "the address breaks the rules" },
            { 10004, "interrupted call" },
            { 10009, "bad socket handle" },
            { 10013, "permission denied" },
            { 10014, "bad memory address" },
            { 10022, "invalid argument" },
            { 10024, "too many open sockets" },
            { 10035, "operation would block" },
            { 10036, "operation in progress" },
            { 10038, "node has no address" },
            { 10040, "message too long" },
            { 10048, "address in use" },
            { 10049, "address not available" },
            { 10050, "network is down" },
            { 10051, "network unreachable" },
            { 10054, "connection reset" },
            { 10055, "no buffer space" },
            { 10061, "connection refused" },
            { 10065, "host unreachable" },
        };

        // The status bytes of the simulated terminal, vekxsim; a real
        // terminal's status bytes are its own.
        static readonly Dictionary<int, string> Simulator = new Dictionary<int, string> {
            { 3, "no such field" },
            { 4, "another node's field" },
            { 5, "unknown operation" },
            { 6, "too large" },
            { 7, "store full" },
        };

        public static string Meaning(int result, bool terminalStatus)
        {
            string words;
            if (terminalStatus)
                return "terminal status " + result + (Simulator.TryGetValue(result, out words) ? " (vekxsim: " + words + ")" : "");
            if (Library.TryGetValue(result, out words)) return words;
            return result >= 10004 ? "Windows Sockets error" : "unknown result";
        }
    }

    public class VekxException : Exception
    {
        public readonly short Result;
        // True when Result is the terminal's status byte, false when it is the
        // library's own result.
        public readonly bool IsTerminalStatus;
        public readonly string Meaning;

        public VekxException(string call, short result, bool terminalStatus)
            : base(call + " returned " + result + ": " + Results.Meaning(result, terminalStatus))
        {
            Result = result;
            IsTerminalStatus = terminalStatus;
            Meaning = Results.Meaning(result, terminalStatus);
        }
    }

    // One registration with the terminals: opened by the constructor, closed
    // by Dispose (use it in a using block). The DLL allows one at a time.
    public sealed class Terminal : IDisposable
    {
        public const int DisplayLength = 16;
        bool open;

        // addresses: one dotted IPv4 address per node, node 1 first.
        public Terminal(short processType, params string[] addresses)
        {
            string list = string.Join(",", addresses);
            Check("VekRegisterProcess(" + list + ")",
                  NativeMethods.VekRegisterProcess(processType, CodePage.ZeroTerminated(list), addresses.Length), null);
            open = true;
        }

        public void Dispose()
        {
            if (open) NativeMethods.VekCloseProcess();
            open = false;
        }

        // At most size bytes of a field's value.
        public byte[] Read(string field, short size)
        {
            byte[] buffer = new byte[size];
            short count;
            Check("VekRead(" + field + ")", NativeMethods.VekRead(CodePage.ZeroTerminated(field), size, buffer, out count), field);
            Array.Resize(ref buffer, Math.Min((int)count, buffer.Length));
            return buffer;
        }

        public string ReadText(string field, short size)
        {
            byte[] value = Read(field, size);
            return CodePage.Decode(value, value.Length);
        }

        public void Write(string field, byte[] data)
        {
            Check("VekWrite(" + field + ")",
                  NativeMethods.VekWrite(CodePage.ZeroTerminated(field), (short)data.Length, data), field);
        }

        public void Write(string field, string text) { Write(field, CodePage.Encode(text)); }

        // Sends a node's display 16 characters: a shorter text is padded with
        // blanks, a longer one refused.
        public void DisplayText(short node, string text)
        {
            if (text.Length > DisplayLength)
                throw new ArgumentException("a display text has at most 16 characters, not " + text.Length, "text");
            Check("VekDisplayText", NativeMethods.VekDisplayText(node, CodePage.Encode(text.PadRight(DisplayLength))), null);
        }

        public void ResetDisplay(short node) { Check("VekResetDisplay", NativeMethods.VekResetDisplay(node), null); }

        public void SendKeystroke(short node, short keyKind, int keyCode)
        {
            Check("VekSendKeystroke", NativeMethods.VekSendKeystroke(node, keyKind, keyCode), null);
        }

        // A read or write result from 1 to 255 is the terminal's status, except
        // 1 (taken as the library's: no answer), and 2 and 4 for a name that
        // breaks the rules, which the library refuses before sending.
        static void Check(string call, short result, string field)
        {
            if (result == 0) return;
            bool status = field != null && result > 1 && result <= 255 &&
                          !((result == 2 || result == 4) && !NameKeepsTheRules(field));
            throw new VekxException(call, result, status);
        }

        // "/t1/wt101": two '/' in the first 10 characters, the node letter t or
        // T, a node character from '1' (node 1) to '@' (node 16).
        static bool NameKeepsTheRules(string field)
        {
            string sent = field.Length > 10 ? field.Substring(0, 10) : field;
            int first = sent.IndexOf('/');
            if (first < 0 || sent.IndexOf('/', first + 1) < 0 || first + 2 >= sent.Length) return false;
            return (sent[first + 1] == 't' || sent[first + 1] == 'T') && sent[first + 2] >= '1' && sent[first + 2] <= '@';
        }
    }
}
