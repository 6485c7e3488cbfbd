// The web panel of vekxsim: shows the simulated terminal as the state and
// trace events of /api/events describe it, and changes it through
// POST /api/command. Text from the terminal is always set as text.
"use strict";

const TOKEN_KEY = "vekxsim-token";
// Rows drawn at once, and rows kept: about five minutes of one console's
// traffic, which Pause and the filter look through.
const TRACE_ROWS_DRAWN = 500;
const TRACE_ROWS_KEPT = 30000;
const PLOT_SECONDS = 300;
const RECONNECT_MS = 1000;

const $ = (id) => document.getElementById(id);
const tokenHeaders = () => {
  const token = sessionStorage.getItem(TOKEN_KEY);
  return token ? { Authorization: "Bearer " + token } : {};
};

function setStatus(text, down) {
  $("link").textContent = text;
  $("link").classList.toggle("down", !!down);
}

// The controls that change the terminal: off on a replay's panel and while
// the stream is down, when the page shows a state that may be stale.
const READ_ONLY_KEPT = ["pause", "filter", "download"];
let readOnly = false;
let live = false;
// What the link says once a connection's first state has been drawn.
let liveText = "live";

function enableControls() {
  document.body.classList.toggle("stale", !live);
  for (const control of document.querySelectorAll("main button, main input, main select, main textarea"))
    if (!READ_ONLY_KEPT.includes(control.id)) control.disabled = readOnly || !live;
}

// A token is asked for once and kept for the tab.
function askForToken() {
  $("token-form").hidden = false;
  $("token").focus();
  setStatus("this panel needs its token (--web-token)", true);
}

async function command(name, ...args) {
  const response = await fetch("/api/command", {
    method: "POST",
    headers: { "Content-Type": "application/json", ...tokenHeaders() },
    body: JSON.stringify({ command: name, args: args }),
  });
  if (response.status === 401) askForToken();
  const answer = await response.json().catch(() => ({ ok: false, error: "no answer" }));
  setStatus(answer.ok ? answer.reply.split("\n")[0] : "refused: " + answer.error, !answer.ok);
  // The controls show the terminal, not what was clicked or typed: the
  // state the stream last brought until it brings the next.
  if (lastState) showState(lastState);
  return answer;
}

// A switch that sends its change and stays as the state has it: the
// terminal's answer, by the stream, moves it.
function switchCommand(box, send) {
  box.addEventListener("click", (event) => {
    event.preventDefault();
    send(box.checked);
  });
}

// ---- the face and the controls, from the state ----

let vocabularyShown = false;

function showVocabulary(state) {
  if (vocabularyShown) return;
  vocabularyShown = true;
  for (let i = 1; i <= 12; i++) {
    const label = document.createElement("label");
    const box = document.createElement("input");
    box.type = "checkbox";
    box.setAttribute("role", "switch");
    box.id = "in-" + i;
    switchCommand(box, (on) => command("input", i, on ? 1 : 0));
    label.append(box, " In " + i);
    $("inputs").append(label);
    const out = document.createElement("span");
    out.className = "out";
    const lamp = document.createElement("span");
    lamp.className = "lamp";
    lamp.id = "out-" + i;
    lamp.setAttribute("role", "img");
    lamp.setAttribute("aria-label", "Out " + i);
    const forced = document.createElement("span");
    forced.id = "out-text-" + i;
    out.append(lamp, " Out " + i + " ", forced);
    $("outputs").append(out);
  }
  for (const e of state.event_messages) {
    const button = document.createElement("button");
    button.type = "button";
    button.textContent = e.code + " " + e.text;
    button.style.background = e.colour;
    if (e.colour === "#0000ff") button.style.color = "#fff";
    button.addEventListener("click", () => command("event", e.code));
    $("event-buttons").append(button);
  }
  for (const digit of "0123456789") {
    const button = document.createElement("button");
    button.type = "button";
    button.textContent = digit;
    button.addEventListener("click", () => { $("literal").value += digit; });
    $("keypad").append(button);
  }
  for (const key of state.keys) {
    const button = document.createElement("button");
    button.type = "button";
    button.textContent = key.name;
    button.addEventListener("click", async () => {
      const answer = await command("key", $("literal").value, key.code);
      if (answer.ok) $("literal").value = "";
    });
    $("keypad").append(button);
  }
}

// A field's value as text; a field whose reads go unanswered shows so, and
// one a replay's capture lacks shows that.
const NOT_CAPTURED = "not in the capture";
const text = (bytes, missing = "") =>
  bytes ? (bytes.silent ? "no answer" : bytes.text.replace(/\0+$/, "")) : missing;
const firstByte = (bytes) => (bytes && !bytes.silent && bytes.hex ? parseInt(bytes.hex.slice(0, 2), 16) : null);

function showEventWaiting(state, waiting) {
  const message = state.event_messages.find((e) => e.code === waiting);
  $("event-waiting").textContent = waiting === 0 ? "none" : waiting + (message ? " " + message.text : "");
}

// A replay's panel: what the replayed terminal answers now of the fields
// the capture shows, no controls.
function showReplay(state) {
  $("read-only").hidden = false;
  const r = state.replay;
  $("where").textContent = "replay of " + r.file + ", node " + state.node + ", UDP port " + state.port +
    ", capture time " + r.capture_time_s.toFixed(1) + " s of " + r.span_s.toFixed(1) + " s";
  $("weight-shown").textContent = text(state.weight_shown, NOT_CAPTURED);
  $("lower").textContent = text(state.lower_display, NOT_CAPTURED);
  $("literal-field").textContent = text(state.literal, NOT_CAPTURED);
  const block = text(state.display_lines_12, NOT_CAPTURED);
  const lines = state.display_lines_12 && !state.display_lines_12.silent ? [block.slice(0, 20), block.slice(20)]
    : [block, block];
  lines.push(text(state.display_line_3, NOT_CAPTURED));
  lines.forEach((line, i) => { $("line-" + (i + 1)).textContent = line; });
  $("display-text").textContent = "not in the capture";
  state.input_fields.forEach((bytes, i) => {
    const box = $("in-" + (i + 1));
    box.checked = firstByte(bytes) === 1;
    box.indeterminate = firstByte(bytes) === null;
    box.parentElement.title = bytes ? (bytes.silent ? "no answer" : "") : NOT_CAPTURED;
  });
  const waiting = firstByte(state.event_mailbox_field);
  if (waiting === null) $("event-waiting").textContent = text(state.event_mailbox_field, NOT_CAPTURED);
  else showEventWaiting(state, waiting);
  $("event-queue").textContent = "not in the capture";
  $("command-box").textContent = state.command_mailbox
    ? (state.command_mailbox.silent ? "no answer" : "holds " + state.command_mailbox.hex) : NOT_CAPTURED;
}

let weightDrawn = null;
let lastState = null;

function showState(state) {
  lastState = state;
  showVocabulary(state);
  readOnly = !!state.read_only;
  if (!live) { live = true; enableControls(); setStatus(liveText); }
  if (state.read_only) { showReplay(state); return; }
  $("where").textContent = "node " + state.node + ", UDP port " + state.port;
  $("display-text").textContent = text(state.display_text);
  state.display_lines.forEach((line, i) => { $("line-" + (i + 1)).textContent = line; });
  $("weight-shown").textContent = text(state.weight_shown);
  $("lower").textContent = text(state.lower_display);
  state.inputs.forEach((on, i) => { $("in-" + (i + 1)).checked = on; });
  // The weight box follows the terminal's weight when it changes, so that
  // what is typed there stays until then; the slider always does.
  if (state.weight !== weightDrawn) { $("weight").value = state.weight.toFixed(2); weightDrawn = state.weight; }
  $("weight-slider").value = state.weight;
  state.outputs.forEach((force, i) => {
    $("out-" + (i + 1)).dataset.force = force;
    $("out-text-" + (i + 1)).textContent = force === "-" ? "not forced" : "forced " + force;
  });
  showEventWaiting(state, state.event_mailbox);
  $("event-queue").textContent = state.queued_events.length ? state.queued_events.join(", ") : "none";
  $("command-box").textContent = state.pending_command !== undefined
    ? state.pending_command + " (" + state.pending_command_name + "), not answered yet"
    : (state.command_mailbox ? "holds " + state.command_mailbox.hex + ", answered" : "empty");
  $("literal-field").textContent = text(state.literal);
  $("faults-now").textContent = state.faults;
  $("silent").checked = state.faults.split(", ").includes("silent");
  const named = "/" + $("fault-field").value.trim().toLowerCase();
  const faulted = state.fields.find((f) => f.name.toLowerCase().endsWith(named));
  $("field-silent").checked = !!(faulted && faulted.silent);
  $("delay-note").textContent = state.reply_delay_ms > state.library_wait_ms
    ? "Reply delay " + state.reply_delay_ms + " ms: the library will not wait this long (it waits " +
      state.library_wait_ms + " ms for each reply and matches no late one), so its reads go unanswered as with Silent."
    : "";
  plotSample(state);
}

// ---- the trace ----

const trace = [];
let frozen = null;  // the rows at the moment of Pause, which the filter then looks through
let lastRowId = 0;

function traceRowShown(row, filter) {
  return !filter || (row.field || "").toLowerCase().includes(filter) ||
    String(row.value ?? row.line ?? "").toLowerCase().includes(filter);
}

function traceCells(row) {
  const time = new Date(row.time_ms).toTimeString().slice(0, 8) + "." + String(row.time_ms % 1000).padStart(3, "0");
  return [time, row.inbound ? "in" : "out", row.operation, row.field ?? "", row.sequence ?? "", row.status ?? "",
    row.value ?? row.line];
}

function drawTrace() {
  const filter = $("filter").value.trim().toLowerCase();
  const from = frozen ?? trace;
  const shown = [];
  for (let k = from.length - 1; k >= 0 && shown.length < TRACE_ROWS_DRAWN; k--)
    if (traceRowShown(from[k], filter)) shown.push(from[k]);
  const rows = shown.map((row) => {
    const tr = document.createElement("tr");
    tr.className = row.inbound ? "in" : "out";
    tr.title = row.line;
    for (const cell of traceCells(row)) {
      const td = document.createElement("td");
      td.textContent = String(cell);
      tr.append(td);
    }
    return tr;
  });
  $("trace-rows").replaceChildren(...rows);
}

// Rows come in the order of their ids; a page that reconnects gets the
// latest again and takes only those it has not seen. A gap in the ids is
// rows that never reached the page.
function addTrace(rows) {
  const fresh = rows.filter((row) => row.id > lastRowId);
  if (!fresh.length) return;
  const lost = lastRowId ? fresh[0].id - lastRowId - 1 : 0;
  if (lost > 0) $("trace-note").textContent = lost + " trace row" + (lost === 1 ? " was" : "s were") +
    " lost before " + new Date().toTimeString().slice(0, 8) + " (the panel no longer holds them)";
  lastRowId = fresh[fresh.length - 1].id;
  trace.push(...fresh);
  if (trace.length > TRACE_ROWS_KEPT) trace.splice(0, trace.length - TRACE_ROWS_KEPT);
  if (!frozen) drawTrace();
}

function pauseChanged() {
  frozen = $("pause").checked ? trace.slice() : null;
  drawTrace();
}

// ---- the plot ----

const samples = [];

// A sample only when the weight or an input changed: the plot holds its
// value until the next one, as the terminal does.
function plotSample(state) {
  const now = Date.now();
  const last = samples[samples.length - 1];
  if (!last || last.weight !== state.weight_now || String(last.inputs) !== String(state.inputs))
    samples.push({ t: now, weight: state.weight_now, inputs: state.inputs });
  while (samples.length > 1 && samples[1].t < now - PLOT_SECONDS * 1000) samples.shift();
}

function drawPlot() {
  const canvas = $("plot-canvas");
  // As wide as the page gives it, in device pixels, so that it stays sharp.
  const ratio = window.devicePixelRatio || 1;
  const w = canvas.clientWidth, h = 220;
  if (canvas.width !== Math.round(w * ratio) || canvas.height !== Math.round(h * ratio)) {
    canvas.width = Math.round(w * ratio);
    canvas.height = Math.round(h * ratio);
  }
  const g = canvas.getContext("2d");
  g.setTransform(ratio, 0, 0, ratio, 0, 0);
  const band = 8, top = 12 * band + 10;
  g.clearRect(0, 0, w, h);
  if (!samples.length) return;
  const now = Date.now();
  const x = (t) => Math.max(0, w - ((now - t) / (PLOT_SECONDS * 1000)) * w);
  const weights = samples.map((s) => s.weight);
  const low = Math.min(...weights), high = Math.max(...weights);
  const span = high > low ? high - low : 1;
  const y = (v) => h - 14 - ((v - low) / span) * (h - top - 20) - (high > low ? 0 : (h - top - 20) / 2);
  for (let i = 0; i < 12; i++) {
    g.fillStyle = "#00a000";
    for (let k = 0; k < samples.length; k++) {
      if (!samples[k].inputs[i]) continue;
      const end = k + 1 < samples.length ? samples[k + 1].t : now;
      g.fillRect(x(samples[k].t), i * band + 2, Math.max(1, x(end) - x(samples[k].t)), band - 2);
    }
  }
  g.strokeStyle = "#c04000";
  g.lineWidth = 2;
  g.beginPath();
  samples.forEach((s, k) => {
    if (k === 0) g.moveTo(x(s.t), y(s.weight));
    else { g.lineTo(x(s.t), y(samples[k - 1].weight)); g.lineTo(x(s.t), y(s.weight)); }
  });
  g.lineTo(w, y(samples[samples.length - 1].weight));
  g.stroke();
  g.fillStyle = "#000";
  g.font = "12px sans-serif";
  g.fillText("In 1..In 12", 4, 12 * band + 8);
  g.fillText("weight " + high.toFixed(2) + (high > low ? "" : " (steady)"), 4, top + 18);
  if (high > low) g.fillText(low.toFixed(2), 4, h - 4);
  const current = samples[samples.length - 1].weight.toFixed(2);
  g.textAlign = "right";
  g.fillText("now " + current, w - 4, top + 18);
  g.textAlign = "left";
  canvas.setAttribute("aria-label", "Plot of the weight (now " + current + ", from " + low.toFixed(2) + " to " +
    high.toFixed(2) + " in the last 5 minutes) and the inputs");
}

// ---- the event stream, read with fetch so that it can carry the token ----

async function follow() {
  for (;;) {
    try {
      const response = await fetch("/api/events", { headers: tokenHeaders() });
      if (response.status === 401) { askForToken(); return; }
      if (!response.ok) throw new Error("HTTP " + response.status);
      // "live" waits for the first state, which brings the controls.
      liveText = lastRowId ? "live again" : "live";
      const reader = response.body.getReader();
      const decoder = new TextDecoder();
      let pending = "";
      for (;;) {
        const { value, done } = await reader.read();
        if (done) break;
        pending += decoder.decode(value, { stream: true });
        let end;
        while ((end = pending.indexOf("\n\n")) >= 0) {
          const block = pending.slice(0, end);
          pending = pending.slice(end + 2);
          const name = /^event: (.*)$/m.exec(block);
          const data = /^data: (.*)$/m.exec(block);
          if (!name || !data) continue;
          const payload = JSON.parse(data[1]);
          if (name[1] === "state") showState(payload);
          else if (name[1] === "traffic") addTrace(payload);
        }
      }
      throw new Error("the stream ended");
    } catch (e) {
      live = false;
      enableControls();
      setStatus("connection lost (" + e.message + "); what the page shows may be stale; trying again", true);
      await new Promise((r) => setTimeout(r, RECONNECT_MS));
    }
  }
}

async function downloadCapture() {
  const response = await fetch("/api/capture.pcap", { headers: tokenHeaders() });
  if (!response.ok) { setStatus("capture refused: HTTP " + response.status, true); return; }
  const url = URL.createObjectURL(await response.blob());
  const a = document.createElement("a");
  a.href = url;
  a.download = "vekxsim.pcap";
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

function onSubmit(id, action) {
  $(id).addEventListener("submit", (event) => { event.preventDefault(); action(); });
}

function wire() {
  onSubmit("token-form", () => {
    sessionStorage.setItem(TOKEN_KEY, $("token").value.trim());
    $("token-form").hidden = true;
    follow();
  });
  onSubmit("weight-form", () => command("weight", $("weight").value));
  $("weight-slider").addEventListener("input", () => { $("weight").value = $("weight-slider").value; });
  $("weight-slider").addEventListener("change", () => command("weight", $("weight-slider").value));
  onSubmit("settle-form", async () => {
    await command("settle", $("settle").value);
    await command("drift", $("drift").value);
  });
  $("ack").addEventListener("click", () => command("ack"));
  onSubmit("serial-form", () => command("serial", $("serial").value));
  switchCommand($("silent"), (on) => command("silent", on));
  onSubmit("drop-form", () => command("drop", $("drop").value));
  onSubmit("delay-form", () => command("replydelay", $("reply-delay").value));
  onSubmit("decoy-form", () => command("decoy", $("decoy").value));
  onSubmit("field-form", () => command("fieldstatus", $("fault-field").value, $("field-status").value));
  switchCommand($("field-silent"), (on) => command("fieldsilent", $("fault-field").value, on));
  $("pause").addEventListener("change", pauseChanged);
  $("filter").addEventListener("input", drawTrace);
  $("download").addEventListener("click", downloadCapture);
  setInterval(drawPlot, 1000);
  window.addEventListener("resize", drawPlot);
  enableControls();
  follow();
}

wire();
