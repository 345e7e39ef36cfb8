#include "HelpText.h"

namespace ondrel::cli {

std::string_view HelpText() {
    return R"(Usage: ondrel-cli COMMAND [OPTIONS]

Finds IP cameras and video servers on the local network by UDP broadcast and changes their
network settings.

Commands:
  search [--wait SECONDS] [--format table|json|csv]
      Sends one search and lists the devices that answer within the wait (default 3 s), in
      order of arrival; an answer identical to an earlier one is listed once.
  set --mac MAC [--dhcp | --static] [--ip A] [--mask M] [--gateway G] [--dns D] [--port P]
      [--user U] (--password-stdin | --password-env VAR) [--yes]
      [--verify [--restart-wait SECONDS]]
      Finds the device by a search, sends it new network settings (the device keeps its own
      value for every setting not given) and waits 3 s for its answer. On a terminal it asks
      for confirmation first, unless --yes.
  url --mac MAC
      Prints the address of the device's web page, http://IP:PORT.

Options:
  --wait SECONDS        how long to search (default 3; set and url stop once the device answers)
  --format FORMAT       search output: table (default), json or csv
  --mac MAC             the device's MAC address, six hex pairs separated by ':' or '-'
  --dhcp                the device takes its address automatically
  --static              the device keeps a fixed address
  --ip A                IPv4 address
  --mask M              subnet mask, e.g. 255.255.255.0
  --gateway G           default gateway (0.0.0.0 for none)
  --dns D               first DNS server
  --port P              HTTP port, 1-65535 (10000 is refused)
  --user U              viewing account (default admin)
  --password-stdin      read the viewing password from standard input, one line (not echoed on
                        a terminal); without a password option it is asked for on a terminal
  --password-env VAR    take the viewing password from the environment variable VAR
                        The password is never taken as an argument.
  --yes, -y             send without asking (needed when standard error is not a terminal)
  --verify              after the answer, wait for the restart, search again and check that
                        the device reports the settings sent
  --restart-wait SECONDS  how long the restart takes (default 43)
  --help, -h            this text
  --version             the program's version

Advanced (labs and tests):
  --bind ADDR           local address of the socket (default 0.0.0.0)
  --local-port P        local UDP port (default 9003; 0 = any)
  --dest ADDR           where requests go (default 255.255.255.255)
  --dest-port P         the devices' UDP port (default 9002)
  --answer-wait SECONDS how long set waits for the answer (default 3)

Exit codes:
  0  done: devices listed, URL printed, or settings accepted (and verified with --verify)
  1  other error: socket error, "bind failure" (the local port is in use), a device without
     a valid address for url, or the confirmation was declined
  2  usage error or bad input (nothing was sent), or no device with that MAC answered
  3  refused: the viewing account or password is wrong
  4  no answer from the device within the wait (with --verify: and it does not report the
     settings after the restart)
  5  verification failed: after the restart the device does not report the settings sent

On a terminal, waits show their progress on standard error (the restart wait counts down).
When standard output is not a terminal, nothing is printed but the result (on standard
output) and errors (on standard error).
)";
}

} // namespace ondrel::cli
