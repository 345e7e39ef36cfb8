// ondrel-sim: simulated devices on the device side of the discovery protocol, and of
// WS-Discovery as ONVIF cameras.

#include "CameraLinks.h"
#include "DeviceConfigLoader.h"
#include "SimCommandLine.h"
#include "SimDevice.h"
#include "SimLog.h"
#include "SimResponder.h"
#include "SimServer.h"
#include "WsdQuirks.h"
#include "WsdResponder.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace ondrel::sim;

std::atomic<const SimServer*> g_server{nullptr};

void onSignal(int) {
    // Only the wake-up: an atomic store and a write(), both safe in a signal handler.
    if (const SimServer* server = g_server.load()) {
        server->stop();
    }
}

int fail(int code, const std::string& message) {
    std::fprintf(stderr, "ondrel-sim: %s\n", message.c_str());
    return code;
}

// Written under another name and renamed, so that whoever waits for the file never reads it
// half written. Our protocol's port, then WS-Discovery's when the cameras answer it.
// Empty when written, else why not.
std::string writeReady(const std::string& path, uint16_t port, std::optional<uint16_t> wsdPort,
                       uint16_t httpPort) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << port << '\n';
        if (wsdPort) {
            out << *wsdPort << '\n' << httpPort << '\n';
        }
        if (!out) {
            return temporary + ": cannot write";
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        return path + ": cannot create";
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed =
        SimCommandLine::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        return fail(2, parsed.error);
    }
    if (!parsed.text.empty()) {
        std::fputs(parsed.text.c_str(), stdout);
        return 0;
    }
    const SimOptions& o = parsed.options;

    std::vector<SimDevice> devices;
    if (!o.configFile.empty()) {
        LoadResult loaded = DeviceConfigLoader::loadFile(o.configFile);
        if (!loaded.ok()) {
            return fail(2, loaded.error);
        }
        devices = std::move(loaded.devices);
    } else {
        for (std::size_t i = 0; i < o.devices; ++i) {
            devices.push_back(o.sameIp.empty() || i >= o.sameIpCount
                                  ? SimDevice::generated(i)
                                  : SimDevice::factoryDefault(i, o.sameIp));
        }
    }
    if (o.onvifQuirks) {
        WsdQuirks::rename(devices);
    }
    if (o.restartMs) {
        for (SimDevice& d : devices) {
            d.restartMs = *o.restartMs;
        }
    }

    SimLog log;
    if (!o.logFile.empty()) {
        if (const std::string error = log.open(o.logFile); !error.empty()) {
            return fail(2, error);
        }
    }

    SimResponder responder(std::move(devices), ResponderOptions{o.faults, o.duplicates, o.burst},
                           SimResponder::Clock::now());
    ServerOptions serverOptions;
    serverOptions.bindAddress = o.bindAddress;
    serverOptions.listenPort = o.listenPort;
    serverOptions.replyTo = o.replyTo;
    serverOptions.unicast = o.unicast;
    serverOptions.replyPort = o.replyPort;
    serverOptions.delayMs = o.delayMs;
    serverOptions.maxSearches = o.maxSearches;
    serverOptions.native = !o.onvifOnly;
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    WsdOptions wsdOptions;
    wsdOptions.quirks = o.onvifQuirks;
    wsdOptions.linkLocal = o.onvifLinkLocal;
    wsdOptions.noMacScope = o.onvifMacScope == "none";
    wsdOptions.shortMacScope = o.onvifMacScope == "MAC";
    wsdOptions.seed = std::random_device{}();
    // A camera's instance grows with every start: its seconds since 1970 do.
    wsdOptions.instanceId =
        static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch).count());
    WsdResponder wsd(responder, wsdOptions);
    if (o.onvif) {
        WsdSocketOptions socketOptions;
        socketOptions.port = o.wsdPort;
        if (!o.announceAddress.empty()) {
            socketOptions.announceTo =
                WsdAddress{ondrel::parseIpv4(o.announceAddress)->bits, o.announcePort};
        }
        serverOptions.wsd = socketOptions;
        serverOptions.onvifHttp = true;
        serverOptions.onvifHttpPort = o.onvifHttpPort;
        serverOptions.onvifLatency = std::chrono::milliseconds(o.onvifLatencyMs);
    }
    OnvifService onvif(responder, OnvifOptions{.forgetGateway = o.onvifForgetGateway,
                                               .linkLocal = o.onvifLinkLocal,
                                               .atOnce = o.onvifAtOnce});
    SimServer server(responder, &wsd, log, serverOptions, &onvif);
    if (const ondrel::SocketStatus s = server.open(); !s) {
        return fail(1, s.message);
    }
    for (const std::string& warning : server.warnings()) {
        std::fprintf(stderr, "ondrel-sim: %s\n", warning.c_str());
    }

    CameraLinks links;
    if (o.onvifOwnMacs) {
        if (const std::string why = links.open(responder.devices(), o.onvifLinkLocal);
            !why.empty()) {
            std::fprintf(stderr,
                         "ondrel-sim: --onvif-own-macs: %s; every camera answers with this "
                         "host's MAC\n",
                         why.c_str());
        }
        for (const std::string& name : links.skipped()) {
            std::fprintf(stderr,
                         "ondrel-sim: %s has no MAC a station could have: it keeps "
                         "this host's\n",
                         name.c_str());
        }
        server.followAddresses(links.isOpen() ? &links : nullptr);
    }

    g_server.store(&server);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    if (!o.readyFile.empty()) {
        if (const std::string error = writeReady(
                o.readyFile, server.port(),
                o.onvif ? std::optional(server.wsdPort()) : std::nullopt, server.httpPort());
            !error.empty()) {
            return fail(1, error);
        }
    }
    const ondrel::SocketStatus ran = server.run();
    g_server.store(nullptr);
    if (!o.readyFile.empty()) {
        std::remove(o.readyFile.c_str()); // a stale file would announce a simulator that is gone
    }
    if (!ran) {
        return fail(1, ran.message);
    }
    return 0;
}
