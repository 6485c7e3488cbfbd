// vekxsim's web panel: an HTTP server beside the simulated terminal (or a
// replay, read-only) that serves the page compiled into the program, the
// HTTP API (a command in, its answer out; the whole state; the event
// stream; the capture; the OpenAPI description) and nothing else.
//
// Threads: the server's own (a fixed pool that accepts and answers
// requests, and writes the event streams as their events come) and
// a publisher that looks at the terminal's state every 50 ms and sends the
// changes and the new traffic rows to the streams. The UDP service only
// hands each datagram to a bounded queue; it never waits on a browser.
#ifndef VEKXSIM_WEB_PANEL_H
#define VEKXSIM_WEB_PANEL_H

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "http_server.h"
#include "panel_subject.h"
#include "web_rules.h"

namespace vekxsim::web {

// The most pages that may follow the event stream at once; the next gets 503.
inline constexpr std::size_t max_event_clients = 16;

struct Route {
  std::string_view method;
  std::string_view path;
};
// The API's routes; the page's files are served beside them.
inline constexpr std::array api_routes{
    Route{"POST", "/api/command"},     Route{"GET", "/api/state"},        Route{"GET", "/api/events"},
    Route{"GET", "/api/capture.pcap"}, Route{"GET", "/api/openapi.json"},
};

class WebPanel {
 public:
  // Starts serving on access.address:access.port (port 0: the system picks
  // one; see port()). Throws std::runtime_error when it cannot listen there.
  // subject must outlive the panel.
  WebPanel(PanelSubject subject, Access access);
  ~WebPanel();
  WebPanel(const WebPanel &) = delete;
  WebPanel &operator=(const WebPanel &) = delete;

  std::uint16_t port() const;
  // "http://127.0.0.1:PORT/"; a panel on every address shows 127.0.0.1.
  std::string url() const;
  // What the panel answers, as its server asks it: answers_to(bytes,
  // handlers()) gives the answers of one connection without the network.
  const HttpHandlers &handlers() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vekxsim::web

#endif
