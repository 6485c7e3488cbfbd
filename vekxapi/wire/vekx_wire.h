// The terminal protocol as the library speaks it, for the project's other
// programs and tests: the message record's layout and codes, addresses,
// node names and node selection, the port variables, the terminal's timing,
// whole numbers as people type them, and the sockets layer underneath.
// They build their datagrams and sockets from the same definitions as the
// library, so the two sides of the wire cannot drift apart.
#ifndef VEKX_WIRE_H
#define VEKX_WIRE_H

#include "../src/address_list.h"
#include "../src/message_record.h"
#include "../src/node_select.h"
#include "../src/platform/platform.h"
#include "../src/port_variables.h"
#include "../src/reply_wait.h"
#include "../src/whole_number.h"

#endif
