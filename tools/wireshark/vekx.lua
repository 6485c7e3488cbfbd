-- Wireshark dissector for the shared-data protocol of VekX terminals
-- (UDP port 1701, and any other port by the look of its header): field
-- reads and writes with their replies, display texts and keystrokes.
--
--   wireshark -X lua_script:vekx.lua capture.pcapng
--   tshark -X lua_script:vekx.lua -2 -O vekx -r capture.pcapng
--
-- or copy the file into ~/.local/lib/wireshark/plugins/ (the package
-- installs it into Wireshark's global plugin folder).
--
-- One message is a 29-byte header, data_length bytes of data and a closing
-- zero byte. 16-bit fields are little-endian.

-- All Lua plugins share one state: a second copy (installed and given with
-- -X lua_script) must not register the protocol twice.
if vekx_dissector_registered then return end
vekx_dissector_registered = true

local HEADER = 29
local MARKER = 100
local PORT = 1701

local message_types = {
  [4097] = "field access",
  [1073] = "display control",
  [1072] = "display text",
  [1027] = "keystroke (kind 1)",
  [1024] = "keystroke (kind 2)",
}
local operations = {
  [0] = "none",
  [16] = "write",
  [18] = "formatted write",
  [32] = "read",
  [34] = "formatted read",
}
local reply_modes = {
  [0] = "reply awaited",
  [2] = "no reply awaited",
}

local vekx = Proto("vekx", "VekX terminal shared data")

local f = {
  reply_mode = ProtoField.uint8("vekx.reply_mode", "Reply mode", base.DEC, reply_modes),
  marker = ProtoField.uint8("vekx.marker", "Marker", base.DEC),
  message_type = ProtoField.uint16("vekx.message_type", "Message type", base.DEC, message_types),
  source_name = ProtoField.string("vekx.source_name", "Source name"),
  target_name = ProtoField.string("vekx.target_name", "Target name"),
  operation = ProtoField.uint8("vekx.operation", "Operation", base.DEC, operations),
  status = ProtoField.uint8("vekx.status", "Status", base.DEC),
  sequence = ProtoField.uint8("vekx.sequence", "Sequence", base.DEC),
  data_length = ProtoField.uint16("vekx.data_length", "Data length", base.DEC),
  data = ProtoField.bytes("vekx.data", "Data", base.SPACE),
  data_text = ProtoField.string("vekx.data_text", "Data as text"),
  byte_value = ProtoField.uint8("vekx.byte_value", "Byte value", base.DEC),
  display_mode = ProtoField.uint8("vekx.display_mode", "Display mode byte", base.DEC),
  display_action = ProtoField.uint8("vekx.display_action", "Display action", base.DEC,
                                    { [7] = "text follows", [0] = "reset" }),
  display_text = ProtoField.string("vekx.display_text", "Display text"),
  key_code = ProtoField.uint8("vekx.key_code", "Key code", base.DEC_HEX),
  terminator = ProtoField.uint8("vekx.terminator", "Terminator", base.DEC),
  direction = ProtoField.string("vekx.direction", "Direction"),
  request_in = ProtoField.framenum("vekx.request_in", "Request in frame", base.NONE, frametype.REQUEST),
  response_in = ProtoField.framenum("vekx.response_in", "Reply in frame", base.NONE, frametype.RESPONSE),
}
vekx.fields = f

local e = {
  short = ProtoExpert.new("vekx.short", "Record shorter than the 29-byte header",
                          expert.group.MALFORMED, expert.severity.ERROR),
  bad_marker = ProtoExpert.new("vekx.bad_marker", "Marker is not 100",
                               expert.group.MALFORMED, expert.severity.ERROR),
  beyond = ProtoExpert.new("vekx.length_beyond", "Data length runs beyond the datagram",
                           expert.group.MALFORMED, expert.severity.ERROR),
  no_terminator = ProtoExpert.new("vekx.no_terminator", "Closing zero byte missing or not zero",
                                  expert.group.MALFORMED, expert.severity.WARN),
  trailing = ProtoExpert.new("vekx.trailing", "Bytes after the closing zero byte",
                             expert.group.PROTOCOL, expert.severity.NOTE),
  unmatched = ProtoExpert.new("vekx.unmatched", "Reply without its request in this capture",
                              expert.group.SEQUENCE, expert.severity.NOTE),
}
vekx.experts = { e.short, e.bad_marker, e.beyond, e.no_terminator, e.trailing, e.unmatched }

-- Request and reply frames paired on the first pass, shown on every pass.
local requests, reply_of, request_of

function vekx.init()
  requests = {}  -- conversation key -> frame of the latest request
  reply_of = {}  -- request frame -> reply frame
  request_of = {}  -- reply frame -> request frame
end

-- A 10-byte name slot as text: up to its first zero byte.
local function slot_name(range)
  return (range:string():match("^([^%z]*)"))
end

-- Value bytes as text: cut at the first zero, other unprintable bytes as \xNN.
local function printable(range)
  if range == nil then return "" end
  local out = {}
  local bytes = range:bytes()
  for i = 0, bytes:len() - 1 do
    local b = bytes:get_index(i)
    if b == 0 then break end
    if b == 92 then
      out[#out + 1] = "\\\\"
    elseif b >= 32 and b < 127 then
      out[#out + 1] = string.char(b)
    else
      out[#out + 1] = string.format("\\x%02x", b)
    end
  end
  return table.concat(out)
end

-- The terminal's end and the client's end of the exchange, the sequence and
-- the field name: the same for a request and its reply.
local function conversation_key(pinfo, from_terminal, seq, field)
  local terminal, client
  if from_terminal then
    terminal = tostring(pinfo.src) .. ":" .. pinfo.src_port
    client = tostring(pinfo.dst) .. ":" .. pinfo.dst_port
  else
    terminal = tostring(pinfo.dst) .. ":" .. pinfo.dst_port
    client = tostring(pinfo.src) .. ":" .. pinfo.src_port
  end
  return terminal .. "|" .. client .. "|" .. seq .. "|" .. field
end

local function add_data(tree, mtype, data, length)
  if data == nil then return "" end
  if mtype == 1073 and length >= 2 then
    tree:add(f.display_mode, data(0, 1))
    tree:add(f.display_action, data(1, 1))
    local action = data(1, 1):uint()
    return action == 7 and " (text follows)" or action == 0 and " (reset)" or ""
  elseif mtype == 1072 and length >= 1 then
    tree:add(f.display_mode, data(0, 1))
    if length > 1 then
      local text = printable(data(1))
      tree:add(f.display_text, data(1), text):set_text('Display text: "' .. text .. '"')
      return ' "' .. text .. '"'
    end
    return ""
  elseif (mtype == 1027 or mtype == 1024) and length >= 1 then
    local code = data(0, 1):uint()
    local key_item = tree:add(f.key_code, data(0, 1))
    if code >= 32 and code < 127 then
      key_item:append_text(string.format(" '%s'", string.char(code)))
      return string.format(" key %d '%s'", code, string.char(code))
    end
    return string.format(" key %d", code)
  end
  local text = printable(data)
  tree:add(f.data_text, data, text):set_text('Data as text: "' .. text .. '"')
  if length == 1 then
    tree:add(f.byte_value, data(0, 1))
    return string.format(' "%s" (byte %d)', text, data(0, 1):uint())
  end
  return ' "' .. text .. '"'
end

function vekx.dissector(buffer, pinfo, tree)
  local size = buffer:len()
  if size == 0 then return 0 end
  pinfo.cols.protocol = "VEKX"
  local root = tree:add(vekx, buffer(), "VekX terminal shared data")

  if size < HEADER then
    root:add_proto_expert_info(e.short, string.format("Record of %d bytes is shorter than the 29-byte header", size))
    root:add(f.data, buffer())
    pinfo.cols.info = string.format("Malformed: %d bytes, shorter than the header", size)
    return size
  end

  local marker = buffer(1, 1):uint()
  local mtype = buffer(2, 2):le_uint()
  local source = slot_name(buffer(4, 10))
  local target = slot_name(buffer(14, 10))
  local op = buffer(24, 1):uint()
  local status = buffer(25, 1):uint()
  local seq = buffer(26, 1):uint()
  local length = buffer(27, 2):le_uint()

  -- A client process signs with its process name ("/w1/w0001"); a field
  -- access that does not comes from the terminal and answers a request.
  local from_client = source:sub(1, 2):lower() == "/w"
  local is_reply = not from_client and mtype == 4097
  local direction = from_client and "request" or (is_reply and "reply" or "message")
  root:add(f.direction, direction)

  root:add(f.reply_mode, buffer(0, 1))
  local marker_item = root:add(f.marker, buffer(1, 1))
  if marker ~= MARKER then
    marker_item:add_proto_expert_info(e.bad_marker, string.format("Marker is %d, not 100", marker))
  end
  root:add_le(f.message_type, buffer(2, 2))
  root:add(f.source_name, buffer(4, 10), source)
  root:add(f.target_name, buffer(14, 10), target)
  root:add(f.operation, buffer(24, 1))
  root:add(f.status, buffer(25, 1))
  root:add(f.sequence, buffer(26, 1))
  local length_item = root:add_le(f.data_length, buffer(27, 2))

  local present = size - HEADER
  local data = nil
  local malformed = nil
  if length > present then
    length_item:add_proto_expert_info(e.beyond, string.format(
      "Data length %d runs beyond the datagram (%d bytes after the header)", length, present))
    malformed = "data length beyond the datagram"
    if present > 0 then data = buffer(HEADER, present) end
  elseif length > 0 then
    data = buffer(HEADER, length)
  end

  local data_summary = ""
  if data ~= nil then
    local data_tree = root:add(f.data, data)
    data_summary = add_data(data_tree, mtype, data, data:len())
  end

  if malformed == nil then
    local after = HEADER + length
    if after >= size then
      root:add_proto_expert_info(e.no_terminator, "Closing zero byte missing")
    else
      local term_item = root:add(f.terminator, buffer(after, 1))
      if buffer(after, 1):uint() ~= 0 then
        term_item:add_proto_expert_info(e.no_terminator, "Closing byte is not zero")
      end
      if after + 1 < size then
        root:add_proto_expert_info(e.trailing, string.format("%d bytes after the closing zero byte", size - after - 1))
      end
    end
  end
  if marker ~= MARKER and malformed == nil then malformed = "bad marker" end

  -- Pair requests and replies of field accesses.
  if mtype == 4097 then
    local field = from_client and target or source
    local key = conversation_key(pinfo, is_reply, seq, field)
    if not pinfo.visited then
      if from_client then
        requests[key] = pinfo.number
      elseif is_reply and requests[key] ~= nil then
        request_of[pinfo.number] = requests[key]
        reply_of[requests[key]] = pinfo.number
        requests[key] = nil
      end
    end
    if from_client and reply_of[pinfo.number] ~= nil then
      root:add(f.response_in, reply_of[pinfo.number])
    elseif is_reply then
      if request_of[pinfo.number] ~= nil then
        root:add(f.request_in, request_of[pinfo.number])
      else
        root:add_proto_expert_info(e.unmatched)
      end
    end
  end

  local type_name = message_types[mtype] or string.format("message type %d", mtype)
  local info
  if mtype == 4097 then
    local op_name = operations[op] or string.format("operation %d", op)
    if is_reply then
      info = string.format("Reply %s %s status=%d seq=%d", op_name, source, status, seq)
    else
      info = string.format("%s%s %s seq=%d", op_name:sub(1, 1):upper(), op_name:sub(2), target, seq)
    end
  else
    info = string.format("%s%s %s seq=%d", type_name:sub(1, 1):upper(), type_name:sub(2), target, seq)
  end
  info = info .. data_summary
  if malformed ~= nil then info = "Malformed (" .. malformed .. "): " .. info end
  pinfo.cols.info = info
  root:append_text(string.format(", %s, %s", direction, type_name))
  return size
end

DissectorTable.get("udp.port"):add(PORT, vekx)

-- On another port (a simulated terminal's, a capture of the web panel) a
-- datagram is taken for VekX when its header holds: the marker, a known
-- message type, a name slot starting with "/" and a data length within the
-- datagram. Wireshark lists this as "vekx_udp" among the heuristic
-- dissectors (Analyze > Enabled Protocols), where it can be switched off.
local function looks_like_vekx(buffer, pinfo, tree)
  local size = buffer:len()
  if size < HEADER or buffer(1, 1):uint() ~= MARKER then return false end
  if message_types[buffer(2, 2):le_uint()] == nil then return false end
  if buffer(14, 1):uint() ~= 0x2F then return false end
  if HEADER + buffer(27, 2):le_uint() > size then return false end
  vekx.dissector(buffer, pinfo, tree)
  return true
end
vekx:register_heuristic("udp", looks_like_vekx)
