// The C# wrapper against vekxsim, beside ReadWeight: each check names the
// fault it catches. Prints one line per check; exits 1 when one fails.
using System;
using Vekx;

static class WrapperChecks
{
    static int failures;

    static void Check(bool passed, string what)
    {
        Console.WriteLine((passed ? "ok: " : "FAIL: ") + what);
        if (!passed) failures++;
    }

    static VekxException Thrown(Action call)
    {
        try { call(); } catch (VekxException e) { return e; }
        return null;
    }

    static int Main()
    {
        using (var terminal = new Terminal(1, "127.0.0.1")) {
            // A byte[] marshalled short, or text in UTF-8 rather than Windows-1252.
            terminal.Write("/t1/Lit01", "LOT 42 \u00e9\u20ac");
            string back = terminal.ReadText("/t1/Lit01", 41);
            Check(back.TrimEnd() == "LOT 42 \u00e9\u20ac", "a write read back: '" + back.TrimEnd() + "'");
            // 16 bytes padded with blanks, Windows-1252 (the test reads the simulator's log).
            terminal.DisplayText(1, "Caf\u00e9 \u20ac1");
            // The terminal's status told from a library result.
            var missing = Thrown(() => terminal.Read("/t1/nofld", 16));
            Check(missing != null && missing.Result == 3 && missing.IsTerminalStatus &&
                  missing.Message == "VekRead(/t1/nofld) returned 3: terminal status 3 (vekxsim: no such field)",
                  "a missing field: " + (missing == null ? "no exception" : missing.Message));
            var badName = Thrown(() => terminal.Read("/t1", 16));
            Check(badName != null && badName.Result == 2 && !badName.IsTerminalStatus && badName.Meaning == "bad argument",
                  "a name with one '/': " + (badName == null ? "no exception" : badName.Message));
        }
        var closed = Thrown(() => new Terminal(1, "127.0.0.1").Dispose());
        Check(closed == null, "Dispose closes the registration, so that the next one succeeds");
        return failures == 0 ? 0 : 1;
    }
}
