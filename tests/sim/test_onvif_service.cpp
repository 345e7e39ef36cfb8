// What a simulated camera's device service answers, apart from any socket: who may ask, what
// a Set keeps, the faults, and the restart that moves the camera.

#include "OnvifRequests.h"
#include "OnvifService.h"
#include "WsdComposer.h"
#include "xml/XmlReader.h"

#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::sim;
using namespace ondrel::sim::test;
using namespace std::chrono_literals;

namespace {

using Clock = SimResponder::Clock;
const Clock::time_point kStart{};

// The text of the first element with this local name, nullopt when there is none.
std::optional<std::string> TextOf(const std::string& body, const std::string& local) {
    const xml::Read read = xml::read(body);
    if (const auto* doc = std::get_if<xml::Document>(&read)) {
        for (const xml::Element& e : doc->elements) {
            if (e.name.local == local) {
                return e.text;
            }
        }
    }
    return std::nullopt;
}

// The innermost fault subcode.
std::string FaultOf(const OnvifReply& reply) {
    const xml::Read read = xml::read(reply.body);
    std::string last;
    for (const xml::Element& e : std::get<xml::Document>(read).elements) {
        if (e.name.local == "Value") {
            last = e.text;
        }
    }
    return last;
}

struct Camera {
    explicit Camera(OnvifOptions options = {})
        : responder({SimDevice::generated(0), SimDevice::generated(1)}, {}, kStart),
          service(responder, options) {}
    OnvifReply Ask(const std::string& request, std::chrono::seconds clockOff = 0s,
                   Clock::time_point now = kStart) {
        return service.handle(0, request, now, kCreatedAt + clockOff);
    }
    SimResponder responder;
    OnvifService service;
};

// The clock is open to all, so that a client can learn it before it signs anything; the
// rest needs the account and a Created near the camera's own clock.
TEST(OnvifService, EveryOperationButTheClockNeedsTheAccount) {
    struct Row {
        const char* what;
        std::string request;
        std::chrono::seconds clockOff;
        int status;
    } rows[] = {
        {"clock without a token", DeviceRequest("GetSystemDateAndTime", "", ""), 0s, 200},
        {"a good token", DeviceRequest("GetNetworkInterfaces"), 0s, 200},
        {"within the skew", DeviceRequest("GetNetworkInterfaces"), 5s, 200},
        {"camera behind", DeviceRequest("GetNetworkInterfaces"), -5s, 200},
        {"beyond the skew", DeviceRequest("GetNetworkInterfaces"), 6s, 400},
        {"camera far behind", DeviceRequest("GetDNS"), -3600s, 400},
        {"no token", DeviceRequest("GetDeviceInformation", "", ""), 0s, 401},
        {"another user", DeviceRequest("GetDNS", "", UsernameToken("root")), 0s, 401},
        {"wrong password", DeviceRequest("SystemReboot", "", UsernameToken("admin", "x=")), 0s,
         401},
        {"not a time", DeviceRequest("GetDNS", "", UsernameToken("admin", kAdminDigest, "today")),
         0s, 400},
        {"hostname without a token", DeviceRequest("GetHostname", "", ""), 0s, 200},
        {"time servers with a token", DeviceRequest("GetNTP"), 0s, 200},
        {"time servers without", DeviceRequest("GetNTP", "", ""), 0s, 401},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Camera camera;
        const OnvifReply reply = camera.Ask(r.request, r.clockOff);
        EXPECT_EQ(reply.status, r.status);
        // The log tells a lab which cameras were sent an account, right or wrong.
        EXPECT_EQ(reply.entry["authenticated"], r.request.find("Username") != std::string::npos);
        if (r.status != 200) {
            EXPECT_EQ(FaultOf(reply), "ter:NotAuthorized");
            EXPECT_EQ(reply.entry["authorized"], false);
        }
    }
    Camera camera;
    const OnvifReply clock = camera.Ask(DeviceRequest("GetSystemDateAndTime", "", ""));
    EXPECT_EQ(TextOf(clock.body, "Hour"), "10");
    EXPECT_EQ(TextOf(clock.body, "Day"), "8");
    // The identity a client checks a camera without a MAC by: the reference it is found by.
    EXPECT_EQ(TextOf(camera.Ask(DeviceRequest("GetEndpointReference")).body, "GUID"),
              WsdComposer::endpointOf(SimDevice::generated(0).mac));
}

TEST(OnvifService, BadRequestsGetCamerasFaults) {
    struct Row {
        const char* what;
        std::string request;
        int status;
        const char* fault;
    } rows[] = {
        {"not XML", "<s:Envelope", 400, "ter:WellFormed"},
        {"no operation",
         R"(<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope"><s:Body/></s:Envelope>)",
         400, "ter:WellFormed"},
        {"unknown operation", DeviceRequest("GetFirmwareUpgrade"), 500, "ter:ActionNotSupported"},
        {"bad address", DeviceRequest("SetNetworkInterfaces", ManualAddress("10.1.300.2", "24")),
         400, "ter:InvalidIPv4Address"},
        {"bad prefix", DeviceRequest("SetNetworkInterfaces", ManualAddress("10.1.3.2", "33")), 400,
         "ter:InvalidIPv4Address"},
        {"other interface",
         DeviceRequest("SetNetworkInterfaces", ManualAddress("10.1.3.2", "24", "eth1")), 400,
         "ter:InvalidNetworkInterface"},
        {"bad gateway",
         DeviceRequest("SetNetworkDefaultGateway", "<tds:IPv4Address>gw</tds:IPv4Address>"), 400,
         "ter:InvalidGatewayAddress"},
        {"three DNS servers",
         DeviceRequest("SetDNS", "<tds:FromDHCP>false</tds:FromDHCP>"
                                 "<tds:DNSManual><tt:Type>IPv4</tt:Type><tt:IPv4Address>1.1.1.1"
                                 "</tt:IPv4Address></tds:DNSManual>"
                                 "<tds:DNSManual><tt:IPv4Address>1.1.1.2</tt:IPv4Address>"
                                 "</tds:DNSManual><tds:DNSManual><tt:IPv4Address>1.1.1.3"
                                 "</tt:IPv4Address></tds:DNSManual>"),
         400, "ter:TooManyDNSServers"},
        {"port 0",
         DeviceRequest("SetNetworkProtocols", "<tds:NetworkProtocols><tt:Name>HTTP</tt:Name>"
                                              "<tt:Enabled>true</tt:Enabled><tt:Port>0</tt:Port>"
                                              "</tds:NetworkProtocols>"),
         400, "ter:InvalidPort"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Camera camera;
        const OnvifReply reply = camera.Ask(r.request);
        EXPECT_EQ(reply.status, r.status);
        EXPECT_EQ(FaultOf(reply), r.fault);
        EXPECT_EQ(camera.responder.devices()[0].ip, "10.77.1.1");
    }
}

// A gateway a camera forgets is answered like one it keeps: only reading it back tells.
TEST(OnvifService, GatewayAndDnsAreKeptUnlessTheCameraForgets) {
    for (const bool forget : {false, true}) {
        SCOPED_TRACE(forget ? "forgets" : "keeps");
        Camera camera(OnvifOptions{.forgetGateway = forget});
        const OnvifReply set = camera.Ask(DeviceRequest(
            "SetNetworkDefaultGateway", "<tds:IPv4Address>10.9.0.254</tds:IPv4Address>"));
        EXPECT_EQ(set.status, 200);
        EXPECT_EQ(set.entry["set"]["gateway"], "10.9.0.254");
        EXPECT_EQ(camera.responder.devices()[0].gateway, forget ? "10.77.0.1" : "10.9.0.254");
        EXPECT_EQ(camera
                      .Ask(DeviceRequest("SetDNS", "<tds:DNSManual><tt:Type>IPv4</tt:Type>"
                                                   "<tt:IPv4Address>10.9.0.53</tt:IPv4Address>"
                                                   "</tds:DNSManual>"))
                      .status,
                  200);
        const OnvifReply dns = camera.Ask(DeviceRequest("GetDNS"));
        EXPECT_EQ(TextOf(dns.body, "IPv4Address"), "10.9.0.53");
        EXPECT_EQ(dns.body.find("10.77.0.2"), std::string::npos);
    }
}

// The address is kept until the restart, then the camera answers at its new one alone; a
// camera that takes it at once answers there from its Set on, and on its new port only.
TEST(OnvifService, RebootMovesTheCameraAfterItsRestart) {
    for (const bool atOnce : {false, true}) {
        SCOPED_TRACE(atOnce ? "at once" : "at its restart");
        Camera camera(OnvifOptions{.atOnce = atOnce});
        const OnvifReply set =
            camera.Ask(DeviceRequest("SetNetworkInterfaces", ManualAddress("192.168.5.20", "24")));
        EXPECT_EQ(TextOf(set.body, "RebootNeeded"), "true");
        EXPECT_EQ(camera.service.cameraAt("10.77.1.1", kStart, 80),
                  atOnce ? std::nullopt : std::optional<std::size_t>(0));
        EXPECT_EQ(camera.service.cameraAt("192.168.5.20", kStart, 80),
                  atOnce ? std::optional<std::size_t>(0) : std::nullopt);
        EXPECT_EQ(set.restart, std::nullopt);
        camera.Ask(DeviceRequest("SetNetworkProtocols", "<tds:NetworkProtocols><tt:Name>HTTP"
                                                        "</tt:Name><tt:Enabled>true</tt:Enabled>"
                                                        "<tt:Port>8080</tt:Port>"
                                                        "</tds:NetworkProtocols>"));
        const std::string now = atOnce ? "192.168.5.20" : "10.77.1.1";
        EXPECT_EQ(camera.service.cameraAt(now, kStart, 80),
                  atOnce ? std::nullopt : std::optional<std::size_t>(0));
        EXPECT_EQ(camera.service.cameraAt(now, kStart, 8080), 0u);

        const Clock::time_point rebootAt = kStart + 10s;
        const OnvifReply reboot = camera.Ask(DeviceRequest("SystemReboot"), 0s, rebootAt);
        EXPECT_EQ(reboot.status, 200);
        EXPECT_EQ(reboot.restart, 2000ms);
        EXPECT_EQ(camera.service.cameraAt("192.168.5.20", rebootAt + 1999ms), std::nullopt);
        EXPECT_EQ(camera.service.cameraAt("192.168.5.20", rebootAt + 2000ms), 0u);
        EXPECT_EQ(camera.service.cameraAt("10.77.1.1", rebootAt + 2000ms), std::nullopt);
        EXPECT_EQ(camera.service.cameraAt("10.77.1.2", rebootAt), 1u); // the other one stays
        EXPECT_EQ(camera.responder.devices()[0].mask, "255.255.255.0");
    }
}

} // namespace

// Cameras out of the box at one address: HTTP there reaches the first that is there, and with
// link-local addresses each one at its own too, before and after it moves.
TEST(OnvifService, SharedAddressReachesTheFirstAndLinkLocalEachOne) {
    std::vector<SimDevice> devices;
    for (std::size_t i = 0; i < 3; ++i) {
        devices.push_back(SimDevice::factoryDefault(i, "192.168.0.64"));
    }
    const std::string second = WsdComposer::linkLocalOf(devices[1].mac);
    SimResponder responder(devices, {}, kStart);
    OnvifService service(responder, OnvifOptions{.linkLocal = true});
    const OnvifService withoutLinkLocal(responder, {});
    responder.restart(0, kStart);
    EXPECT_EQ(service.cameraAt("192.168.0.64", kStart + 1s), 1u); // while the first restarts
    EXPECT_EQ(service.cameraAt("192.168.0.64", kStart + 3s), 0u);
    EXPECT_EQ(service.cameraAt(second, kStart + 3s), 1u);
    EXPECT_EQ(withoutLinkLocal.cameraAt(second, kStart + 3s), std::nullopt);
    EXPECT_EQ(service.cameraAt("169.254.1.1", kStart + 3s), std::nullopt); // nobody's
    const auto manual = DeviceRequest("SetNetworkInterfaces", ManualAddress("10.1.0.2", "24"));
    EXPECT_EQ(service.handle(1, manual, kStart, kCreatedAt).status, 200);
    service.handle(1, DeviceRequest("SystemReboot"), kStart + 3s, kCreatedAt);
    EXPECT_EQ(service.cameraAt("10.1.0.2", kStart + 5s), 1u);
    EXPECT_EQ(service.cameraAt(second, kStart + 5s), 1u);
}

// A camera's own maker, model, host name, clock and time servers, as its configuration says.
TEST(OnvifService, TheCamerasOwnDetails) {
    const struct {
        const char* what;
        const char* ntp;
        int32_t clockOffset;
        const char* operation;
        const char* element;
        std::optional<std::string> want;
    } rows[] = {
        {"maker", "", 0, "GetDeviceInformation", "Manufacturer", "Axis"},
        {"model", "", 0, "GetDeviceInformation", "Model", "Q1615"},
        {"host name", "", 0, "GetHostname", "Name", "gate-cam"},
        {"a camera an hour ahead", "", 3600, "GetSystemDateAndTime", "Hour", "11"},
        {"its zone as written", "", 0, "GetSystemDateAndTime", "TZ", "CST-8:00:00"},
        {"a manual clock", "", 0, "GetSystemDateAndTime", "DateTimeType", "Manual"},
        {"a clock kept by NTP", "pool.ntp.org", 0, "GetSystemDateAndTime", "DateTimeType", "NTP"},
        {"a server by name", "pool.ntp.org 10.0.0.1", 0, "GetNTP", "DNSname", "pool.ntp.org"},
        {"a server by address", "10.0.0.1", 0, "GetNTP", "IPv4Address", "10.0.0.1"},
        {"servers from DHCP", "dhcp", 0, "GetNTP", "FromDHCP", "true"},
        {"no servers", "", 0, "GetNTP", "NTPManual", std::nullopt},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Camera camera;
        SimDevice& d = camera.responder.device(0);
        d.manufacturer = "Axis";
        d.model = "Q1615";
        d.hostname = "gate-cam";
        d.timeZone = "CST-8:00:00";
        d.ntp = r.ntp;
        d.clockOffsetS = r.clockOffset;
        const OnvifReply reply = camera.Ask(DeviceRequest(r.operation));
        EXPECT_EQ(reply.status, 200);
        EXPECT_EQ(TextOf(reply.body, r.element), r.want);
    }
}
