// The web panel of vekxsim: shows the simulated terminal as the state and
// trace events of /api/events describe it, and changes it through
// POST /api/command. Text from the terminal is always set as text.
"use strict";

const TOKEN_KEY = "vekxsim-token";
const TRACE_ROWS_KEPT = 500;
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
  return answer;
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
    box.addEventListener("change", () => command("input", i, box.checked ? 1 : 0));
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
    button.setAttribute("aria-label", e.text);
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

const text = (bytes) => (bytes ? bytes.text.replace(/\0+$/, "") : "");

// The controls a read-only panel keeps: those of the trace, which change
// nothing.
const READ_ONLY_KEPT = ["pause", "filter", "download"];

// A replay's panel: what the replayed terminal answers now, no controls.
function showReplay(state) {
  $("read-only").hidden = false;
  for (const control of document.querySelectorAll("main button, main input, main select, main textarea"))
    if (!READ_ONLY_KEPT.includes(control.id)) control.disabled = true;
  const r = state.replay;
  $("where").textContent = "replay of " + r.file + ", node " + state.node + ", UDP port " + state.port +
    ", capture time " + r.capture_time_s.toFixed(1) + " s of " + r.span_s.toFixed(1) + " s";
  $("weight-shown").textContent = text(state.weight_shown);
  $("lower").textContent = text(state.lower_display);
  $("literal-field").textContent = text(state.literal);
  $("command-box").textContent = state.command_mailbox ? "holds " + state.command_mailbox.hex : "empty";
}

function showState(state) {
  showVocabulary(state);
  if (state.read_only) { showReplay(state); return; }
  $("where").textContent = "node " + state.node + ", UDP port " + state.port;
  $("display-text").textContent = text(state.display_text);
  state.display_lines.forEach((line, i) => { $("line-" + (i + 1)).textContent = line; });
  $("weight-shown").textContent = text(state.weight_shown);
  $("lower").textContent = text(state.lower_display);
  state.inputs.forEach((on, i) => {
    const box = $("in-" + (i + 1));
    if (document.activeElement !== box) box.checked = on;
  });
  state.outputs.forEach((force, i) => {
    $("out-" + (i + 1)).dataset.force = force;
    $("out-text-" + (i + 1)).textContent = force === "-" ? "not forced" : "forced " + force;
  });
  const waiting = state.event_mailbox;
  const message = state.event_messages.find((e) => e.code === waiting);
  $("event-waiting").textContent = waiting === 0 ? "none" : waiting + (message ? " " + message.text : "");
  $("event-queue").textContent = state.queued_events.length ? state.queued_events.join(", ") : "none";
  $("command-box").textContent = state.pending_command !== undefined
    ? state.pending_command + " (" + state.pending_command_name + "), not answered yet"
    : (state.command_mailbox ? "holds " + state.command_mailbox.hex + ", answered" : "empty");
  $("literal-field").textContent = text(state.literal);
  $("faults-now").textContent = state.faults;
  if (document.activeElement !== $("silent")) $("silent").checked = state.faults.includes("silent");
  plotSample(state);
}

// ---- the trace ----

const trace = [];

function traceRowShown(row) {
  const filter = $("filter").value.trim();
  return !filter || (row.field || "").includes(filter);
}

function traceCells(row) {
  const time = new Date(row.time_ms).toTimeString().slice(0, 8) + "." + String(row.time_ms % 1000).padStart(3, "0");
  return [time, row.inbound ? "in" : "out", row.operation, row.field ?? "", row.sequence ?? "", row.status ?? "",
    row.value ?? row.line];
}

function drawTrace() {
  const body = $("trace-rows");
  const rows = trace.filter(traceRowShown).slice(-TRACE_ROWS_KEPT).reverse().map((row) => {
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
  body.replaceChildren(...rows);
}

function addTrace(rows) {
  trace.push(...rows);
  if (trace.length > TRACE_ROWS_KEPT * 4) trace.splice(0, trace.length - TRACE_ROWS_KEPT * 4);
  if (!$("pause").checked) drawTrace();
}

// ---- the plot ----

const samples = [];

function plotSample(state) {
  const now = Date.now();
  samples.push({ t: now, weight: state.weight, inputs: state.inputs });
  while (samples.length && samples[0].t < now - PLOT_SECONDS * 1000) samples.shift();
}

function drawPlot() {
  const canvas = $("plot-canvas");
  const g = canvas.getContext("2d");
  const w = canvas.width, h = canvas.height, band = 8, top = 12 * band + 10;
  g.clearRect(0, 0, w, h);
  if (!samples.length) return;
  const now = Date.now();
  const x = (t) => w - ((now - t) / (PLOT_SECONDS * 1000)) * w;
  const weights = samples.map((s) => s.weight);
  const low = Math.min(0, ...weights), high = Math.max(1, ...weights);
  const y = (v) => h - 14 - ((v - low) / (high - low)) * (h - top - 20);
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
  samples.forEach((s, k) => (k ? g.lineTo(x(s.t), y(s.weight)) : g.moveTo(x(s.t), y(s.weight))));
  g.lineTo(w, y(samples[samples.length - 1].weight));
  g.stroke();
  g.fillStyle = "#000";
  g.font = "12px sans-serif";
  g.fillText("In 1..In 12", 4, 12 * band + 8);
  g.fillText("weight " + high.toFixed(2), 4, top + 18);
  g.fillText(low.toFixed(2), 4, h - 4);
}

// ---- the event stream, read with fetch so that it can carry the token ----

async function follow() {
  for (;;) {
    try {
      const response = await fetch("/api/events", { headers: tokenHeaders() });
      if (response.status === 401) { askForToken(); return; }
      if (!response.ok) throw new Error("HTTP " + response.status);
      setStatus("live");
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
      setStatus("connection lost (" + e.message + "); trying again", true);
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
  $("silent").addEventListener("change", () => command("silent", $("silent").checked));
  onSubmit("drop-form", () => command("drop", $("drop").value));
  onSubmit("delay-form", () => command("replydelay", $("reply-delay").value));
  onSubmit("decoy-form", () => command("decoy", $("decoy").value));
  onSubmit("field-form", () => command("fieldstatus", $("fault-field").value, $("field-status").value));
  $("field-silent").addEventListener("change", () =>
    command("fieldsilent", $("fault-field").value, $("field-silent").checked));
  $("pause").addEventListener("change", drawTrace);
  $("filter").addEventListener("input", drawTrace);
  $("download").addEventListener("click", downloadCapture);
  setInterval(drawPlot, 1000);
  follow();
}

wire();
