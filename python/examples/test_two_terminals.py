"""Two weighing terminals behind one PC, each a simulated node of its own:
node 1 on 127.0.0.1, node 2 on 127.0.0.2, both on the same port, as the
library sends every node's requests to one port.

    pytest-3 test_two_terminals.py
"""

import vekxapi

WEIGHT, EVENT_MAILBOX = "wt101", "bx298"
OK_TO_WEIGH = 104


def test_two_terminals(vekxsim_factory):
    vekxsim_factory(node=1, weight=10)
    vekxsim_factory(node=2, weight=20)
    with vekxsim_factory.terminal() as t:
        assert "10.00" in t.read_text(vekxapi.field_name(1, WEIGHT))
        assert "20.00" in t.read_text(vekxapi.field_name(2, WEIGHT))


def test_an_event_reaches_its_own_node_only(vekxsim_factory):
    first, second = vekxsim_factory(node=1), vekxsim_factory(node=2)
    second.event(OK_TO_WEIGH)
    with vekxsim_factory.terminal() as t:
        assert t.read(vekxapi.field_name(2, EVENT_MAILBOX), 1) == bytes([OK_TO_WEIGH])
        assert t.read(vekxapi.field_name(1, EVENT_MAILBOX), 1) == bytes([0])
    assert first.traffic(pattern=EVENT_MAILBOX) and second.traffic(pattern=EVENT_MAILBOX), "each node asked itself"
