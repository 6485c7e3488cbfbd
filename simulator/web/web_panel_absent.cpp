// The panel where vekxsim is built without its HTTP server's library: the
// command line refuses --web there, and a panel that is started all the
// same says why it cannot be.
#include <stdexcept>

#include "web_panel.h"

namespace vekxsim::web {

struct WebPanel::Impl {};

WebPanel::WebPanel(PanelSubject, Access) {
  throw std::runtime_error("is not in this build of vekxsim (it was built without its HTTP server)");
}
WebPanel::~WebPanel() = default;

std::uint16_t WebPanel::port() const { return 0; }

std::string WebPanel::url() const { return {}; }

}  // namespace vekxsim::web
