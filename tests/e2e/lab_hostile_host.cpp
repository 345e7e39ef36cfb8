// A host of an attacker's on the camera LAN, for the hostile-host lab table: it runs in a LAN's
// namespace beside ondrel-sim, answers our WS-Discovery probes for cameras it invents, serves
// their device service as a hostile camera would, and logs every TCP connection (the local
// address it was reached at) and every HTTP request (whether it carried a WS-Security token or
// an Authorization header), one line each, for the test to read. Every flood is bounded in
// count, and the host ends after --seconds whatever happens.
//
//   lab_hostile_host --log FILE --ready FILE [--seconds N] [--camera XADDR]...
//                    [--http ok|bomb|redirect|basic|digest-refuse|drip|big]
//                    [--probe-bomb N] [--hold ADDR]... [--hold-routed ADDR]...
//                    [--forge-refusals-from ADDR]
//                    [--claim URN [--claim-mac MAC] [--hello 1] [--claim-after-hellos N]]
//
// --claim answers every probe at once with a match for a listed camera's endpoint reference
// (with --claim-mac, its MAC scope too) and this host's address as XAddr; --hello says Hello
// for it first; --claim-after-hellos stays silent until it has heard the camera's own Hello N
// times (the camera's start, then its restart). --http clock answers GetSystemDateAndTime as a
// camera does and fails everything else, so that a client goes on to its calls with an account.
//
// --http drip sends an answer's head and then a byte every half second; --http big a chunked
// body of 50 MB. --forge-refusals-from sends, from ADDR (held as --hold does), our protocol's
// refusal to the PC's port every 100 ms, as a host would that wants a set request to fail.
//
// --hold puts ADDR on the LAN interface (ARP answers for it); --hold-routed puts it on lo with
// arp_ignore, so that only a host routing through this one reaches it.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

struct Options {
    std::string log;
    std::string ready;
    int seconds = 60;
    std::vector<std::string> cameras;
    std::string http = "ok";
    int probeBomb = 0;
    std::vector<std::string> holds;
    std::vector<std::string> routedHolds;
    std::string claim;
    std::string claimMac;
    bool hello = false;
    int claimAfterHellos = 0;
    std::string forgeFrom;
};

constexpr int kMaxBombDatagrams = 200;
constexpr std::size_t kMaxRequestBytes = 64 * 1024;
constexpr std::size_t kBigBodyBytes = 50 * 1000 * 1000;
constexpr auto kDripFor = std::chrono::seconds(15);

std::ofstream logFile;
volatile std::sig_atomic_t stopAsked = 0;

void note(const std::string& line) {
    logFile << line << std::endl;
}

std::string run(const std::string& command) {
    return std::system(command.c_str()) == 0 ? "" : "failed: " + command;
}

std::string messageIdOf(const std::string& probe) {
    static const std::regex id(R"(MessageID[^>]*>\s*([^<\s]+)\s*<)");
    std::smatch m;
    return std::regex_search(probe, m, id) ? m[1].str() : "";
}

// A ProbeMatch (relatesTo set) or a Hello for the endpoint, numbered n among this host's.
std::string discoveryMessage(const std::string& relatesTo, std::size_t n,
                             const std::string& endpoint, const std::string& scopes,
                             const std::string& xaddr) {
    const bool hello = relatesTo.empty();
    const std::string action = hello ? "Hello" : "ProbeMatches";
    const std::string to = hello
                               ? "urn:schemas-xmlsoap-org:ws:2005:04:discovery"
                               : "http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous";
    const std::string open = hello ? "<d:Hello>" : "<d:ProbeMatches><d:ProbeMatch>";
    const std::string close = hello ? "</d:Hello>" : "</d:ProbeMatch></d:ProbeMatches>";
    return R"(<?xml version="1.0" encoding="UTF-8"?><s:Envelope )"
           R"(xmlns:s="http://www.w3.org/2003/05/soap-envelope" )"
           R"(xmlns:a="http://schemas.xmlsoap.org/ws/2004/08/addressing" )"
           R"(xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery" )"
           R"(xmlns:dn="http://www.onvif.org/ver10/network/wsdl"><s:Header>)"
           R"(<a:MessageID>urn:uuid:0badf00d-0000-4000-8000-)" +
           std::to_string(100000000000 + n) + "</a:MessageID>" +
           (hello ? "" : "<a:RelatesTo>" + relatesTo + "</a:RelatesTo>") + "<a:To>" + to +
           "</a:To><a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/" + action +
           "</a:Action></s:Header><s:Body>" + open + "<a:EndpointReference><a:Address>" + endpoint +
           R"(</a:Address></a:EndpointReference><d:Types>dn:NetworkVideoTransmitter</d:Types>)"
           R"(<d:Scopes>onvif://www.onvif.org/type/video_encoder onvif://www.onvif.org/name/)"
           "Hostile" +
           scopes + "</d:Scopes><d:XAddrs>" + xaddr +
           "</d:XAddrs><d:MetadataVersion>1</d:MetadataVersion>" + close + "</s:Body></s:Envelope>";
}

std::string probeMatches(const std::string& relatesTo, std::size_t n, const std::string& xaddr) {
    return discoveryMessage(relatesTo, n,
                            "urn:uuid:0badf00d-0000-4000-8000-" + std::to_string(200000000000 + n),
                            "", xaddr);
}

// Just under 32 KiB: a 12 KB default namespace on an element of 4,800 empty elements.
std::string bombDatagram(const std::string& relatesTo) {
    return R"(<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope" )"
           R"(xmlns:a="http://schemas.xmlsoap.org/ws/2004/08/addressing" )"
           R"(xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery"><s:Header><a:RelatesTo>)" +
           relatesTo +
           R"(</a:RelatesTo><a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/ProbeMatches)"
           R"(</a:Action></s:Header><s:Body><d:ProbeMatches><x xmlns="urn:)" +
           std::string(12000, 'a') + "\">" +
           [] {
               std::string e;
               for (int i = 0; i < 4800; ++i) {
                   e += "<e/>";
               }
               return e;
           }() +
           "</x></d:ProbeMatches></s:Body></s:Envelope>";
}

// About 1 MB, under the transport's 1 MiB cap: a 200 KB default namespace on an element of
// 200,000 empty elements.
std::string bombBody() {
    std::string body = R"(<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope"><s:Body>)"
                       R"(<x xmlns="urn:)" +
                       std::string(200000, 'a') + "\">";
    for (int i = 0; i < 200000; ++i) {
        body += "<e/>";
    }
    return body + "</x></s:Body></s:Envelope>";
}

std::string answerFor(const std::string& mode, const std::string& request) {
    const auto with = [](const std::string& status, const std::string& headers,
                         const std::string& body) {
        return "HTTP/1.1 " + status + "\r\n" + headers +
               "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
               body;
    };
    if (mode == "bomb") {
        static const std::string body = bombBody();
        return with("200 OK", "Content-Type: application/soap+xml\r\n", body);
    }
    if (mode == "redirect") {
        return with("302 Found", "Location: http://10.77.0.66/onvif/device_service\r\n", "");
    }
    if (mode == "clock" && request.find("GetSystemDateAndTime") != std::string::npos) {
        const std::time_t now = std::time(nullptr);
        std::tm t{};
        gmtime_r(&now, &t);
        const auto tag = [](const char* name, int value) {
            return std::string("<tt:") + name + ">" + std::to_string(value) + "</tt:" + name + ">";
        };
        return with("200 OK", "Content-Type: application/soap+xml\r\n",
                    R"(<?xml version="1.0" encoding="UTF-8"?><env:Envelope )"
                    R"(xmlns:env="http://www.w3.org/2003/05/soap-envelope" )"
                    R"(xmlns:tds="http://www.onvif.org/ver10/device/wsdl" )"
                    R"(xmlns:tt="http://www.onvif.org/ver10/schema"><env:Body>)"
                    "<tds:GetSystemDateAndTimeResponse><tds:SystemDateAndTime>"
                    "<tt:DateTimeType>Manual</tt:DateTimeType><tt:DaylightSavings>false"
                    "</tt:DaylightSavings><tt:UTCDateTime><tt:Time>" +
                        tag("Hour", t.tm_hour) + tag("Minute", t.tm_min) + tag("Second", t.tm_sec) +
                        "</tt:Time><tt:Date>" + tag("Year", t.tm_year + 1900) +
                        tag("Month", t.tm_mon + 1) + tag("Day", t.tm_mday) +
                        "</tt:Date></tt:UTCDateTime></tds:SystemDateAndTime>"
                        "</tds:GetSystemDateAndTimeResponse></env:Body></env:Envelope>");
    }
    if (mode == "basic") {
        return with("401 Unauthorized", "WWW-Authenticate: Basic realm=\"cam\"\r\n", "");
    }
    if (mode == "digest-refuse") {
        return with("401 Unauthorized",
                    "WWW-Authenticate: Digest realm=\"cam\", nonce=\"" +
                        std::to_string(request.size()) + "\", qop=\"auth\"\r\n",
                    "");
    }
    return with("500 Internal Server Error", "", "");
}

bool sendAll(int socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The answers that never end by themselves: each stops when the client hangs up, and is
// bounded in time or size whatever the client does.
bool streamAnswer(int socket, const std::string& mode) {
    if (mode == "drip") {
        const auto end = std::chrono::steady_clock::now() + kDripFor;
        bool open = sendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        while (open && std::chrono::steady_clock::now() < end) {
            ::usleep(500 * 1000);
            open = sendAll(socket, "<");
        }
        return true;
    }
    if (mode == "big") {
        const std::string chunk = "10000\r\n" + std::string(0x10000, 'x') + "\r\n";
        bool open = sendAll(socket, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
        for (std::size_t sent = 0; open && sent < kBigBodyBytes; sent += 0x10000) {
            open = sendAll(socket, chunk);
        }
        return true;
    }
    return false;
}

void serveConnection(int listener, const Options& o) {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    const int socket = ::accept(listener, nullptr, nullptr);
    if (socket < 0) {
        return;
    }
    ::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &local.sin_addr, text, sizeof text);
    note(std::string("connect ") + text);
    std::string request;
    char buffer[4096];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequestBytes &&
           std::chrono::steady_clock::now() < deadline) {
        pollfd ready{socket, POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0) {
            continue;
        }
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        request.append(buffer, static_cast<std::size_t>(got));
    }
    // The body follows the head; a short wait takes what of it has come.
    for (int i = 0; i < 5; ++i) {
        pollfd ready{socket, POLLIN, 0};
        if (::poll(&ready, 1, 50) <= 0) {
            break;
        }
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        request.append(buffer, static_cast<std::size_t>(got));
    }
    if (!request.empty()) {
        const bool token = request.find("UsernameToken") != std::string::npos;
        const bool authorization = request.find("\r\nAuthorization:") != std::string::npos;
        const bool basic = request.find("\r\nAuthorization: Basic") != std::string::npos;
        note(std::string("request ") + text + " token=" + (token ? "1" : "0") +
             " authorization=" + (authorization ? "1" : "0") + " basic=" + (basic ? "1" : "0"));
        if (!streamAnswer(socket, o.http)) {
            sendAll(socket, answerFor(o.http, request));
        }
    }
    ::close(socket);
}

int openUdp() {
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    const int one = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    ::setsockopt(s, SOL_SOCKET, SO_REUSEPORT, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(3702);
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ip_mreqn group{};
    group.imr_multiaddr.s_addr = inet_addr("239.255.255.250");
    group.imr_ifindex = 0;
    ::setsockopt(s, IPPROTO_IP, IP_ADD_MEMBERSHIP, &group, sizeof group);
    return s;
}

// A UDP socket sending from ADDR (held on the LAN interface), or -1.
int openForger(const std::string& from) {
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = inet_addr(from.c_str());
    if (s < 0 || ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        return -1;
    }
    return s;
}

// Our protocol's refusal, to where the PC waits for a set request's answer.
void forgeRefusal(int forger) {
    const char* pc = std::getenv("ONDREL_LAB_A_ADDR");
    const std::string a = pc != nullptr ? pc : "10.77.0.1/24";
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(9003);
    to.sin_addr.s_addr = inet_addr(a.substr(0, a.find('/')).c_str());
    const std::string_view refusal = "errcode:1\r\n";
    if (::sendto(forger, refusal.data(), refusal.size(), 0, reinterpret_cast<sockaddr*>(&to),
                 sizeof to) > 0) {
        note("forged");
    }
}

int openTcp() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(8080);
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(s, 16) != 0) {
        return -1;
    }
    return s;
}

std::string claimScopes(const Options& o) {
    return o.claimMac.empty() ? "" : " onvif://www.onvif.org/MacAddress/" + o.claimMac;
}

std::string hostAddress() {
    const char* lan = std::getenv("ONDREL_LAB_ADDR");
    const std::string a = lan != nullptr ? lan : "10.77.0.254/24";
    return a.substr(0, a.find('/'));
}

void sendHello(int udp, const Options& o, const std::string& xaddr) {
    const std::string hello = discoveryMessage("", 999, o.claim, claimScopes(o), xaddr);
    sockaddr_in group{};
    group.sin_family = AF_INET;
    group.sin_port = htons(3702);
    group.sin_addr.s_addr = inet_addr("239.255.255.250");
    ::sendto(udp, hello.data(), hello.size(), 0, reinterpret_cast<sockaddr*>(&group), sizeof group);
}

void answerProbe(int udp, const Options& o, int& bombsLeft, int& hellosHeard) {
    char buffer[65536];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t got =
        ::recvfrom(udp, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (got <= 0) {
        return;
    }
    const std::string probe(buffer, static_cast<std::size_t>(got));
    // The camera's own Hello, heard by the group this host joined (its own are not counted).
    if (!o.claim.empty() && probe.find("discovery/Hello") != std::string::npos &&
        probe.find(o.claim) != std::string::npos &&
        probe.find("name/Hostile") == std::string::npos) {
        ++hellosHeard;
        note("hello " + std::to_string(hellosHeard));
        return;
    }
    if (probe.find("Probe") == std::string::npos ||
        probe.find("ProbeMatches") != std::string::npos) {
        return;
    }
    const std::string id = messageIdOf(probe);
    if (!o.claim.empty() && hellosHeard >= o.claimAfterHellos) {
        const std::string xaddr = "http://" + hostAddress() + ":8080/onvif/device_service";
        if (o.hello) {
            sendHello(udp, o, xaddr);
        }
        const std::string claim = discoveryMessage(id, 900, o.claim, claimScopes(o), xaddr);
        ::sendto(udp, claim.data(), claim.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
        note("claimed");
    }
    for (std::size_t n = 0; n < o.cameras.size(); ++n) {
        const std::string reply = probeMatches(id, n, o.cameras[n]);
        ::sendto(udp, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
    }
    const std::string bomb = bombDatagram(id);
    for (; bombsLeft > 0; --bombsLeft) {
        ::sendto(udp, bomb.data(), bomb.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
    }
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        const std::string value = argv[i + 1];
        if (flag == "--log") {
            o.log = value;
        } else if (flag == "--ready") {
            o.ready = value;
        } else if (flag == "--seconds") {
            o.seconds = std::atoi(value.c_str());
        } else if (flag == "--camera") {
            o.cameras.push_back(value);
        } else if (flag == "--http") {
            o.http = value;
        } else if (flag == "--probe-bomb") {
            o.probeBomb = std::min(std::atoi(value.c_str()), kMaxBombDatagrams);
        } else if (flag == "--hold") {
            o.holds.push_back(value);
        } else if (flag == "--hold-routed") {
            o.routedHolds.push_back(value);
        } else if (flag == "--claim") {
            o.claim = value;
        } else if (flag == "--claim-mac") {
            o.claimMac = value;
        } else if (flag == "--hello") {
            o.hello = value == "1";
        } else if (flag == "--claim-after-hellos") {
            o.claimAfterHellos = std::atoi(value.c_str());
        } else if (flag == "--forge-refusals-from") {
            o.forgeFrom = value;
            o.holds.push_back(value);
        }
    }
    return o;
}

} // namespace

int main(int argc, char** argv) {
    // It joins WS-Discovery's group, answers probes and floods: only ever inside the network lab.
    const char* lab = std::getenv("ONDREL_NETLAB");
    if (lab == nullptr || std::string_view(lab) != "1") {
        std::fprintf(stderr, "lab_hostile_host runs inside scripts/netlab only\n");
        return 2;
    }
    const Options o = parse(argc, argv);
    logFile.open(o.log, std::ios::app);
    std::string problem;
    for (const std::string& a : o.holds) {
        problem += run("ip addr add " + a + "/32 dev eth0");
    }
    for (const std::string& a : o.routedHolds) {
        problem += run("ip addr add " + a + "/32 dev lo");
        problem += run("sysctl -qw net.ipv4.conf.eth0.arp_ignore=1 net.ipv4.conf.all.arp_ignore=1");
    }
    const int udp = openUdp();
    const int tcp = openTcp();
    const int forger = o.forgeFrom.empty() ? 0 : openForger(o.forgeFrom);
    if (!problem.empty() || udp < 0 || tcp < 0 || forger < 0) {
        std::fprintf(stderr, "lab_hostile_host: %s\n",
                     problem.empty() ? "no socket" : problem.c_str());
        return 1;
    }
    std::signal(SIGTERM, [](int) { stopAsked = 1; });
    std::ofstream(o.ready) << "ready\n";
    int bombsLeft = o.probeBomb;
    int hellosHeard = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(o.seconds);
    auto nextForgery = std::chrono::steady_clock::now();
    while (stopAsked == 0 && std::chrono::steady_clock::now() < end) {
        pollfd ready[2] = {{udp, POLLIN, 0}, {tcp, POLLIN, 0}};
        const int events = ::poll(ready, 2, 100);
        if (forger > 0 && std::chrono::steady_clock::now() >= nextForgery) {
            forgeRefusal(forger);
            nextForgery = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
        }
        if (events <= 0) {
            continue;
        }
        if (ready[0].revents & POLLIN) {
            answerProbe(udp, o, bombsLeft, hellosHeard);
        }
        if (ready[1].revents & POLLIN) {
            serveConnection(tcp, o);
        }
    }
    // The LAN's namespace outlives this host: the next row finds it as it was.
    for (const std::string& a : o.holds) {
        run("ip addr del " + a + "/32 dev eth0");
    }
    for (const std::string& a : o.routedHolds) {
        run("ip addr del " + a + "/32 dev lo");
    }
    if (!o.routedHolds.empty()) {
        run("sysctl -qw net.ipv4.conf.eth0.arp_ignore=0 net.ipv4.conf.all.arp_ignore=0");
    }
    return 0;
}
