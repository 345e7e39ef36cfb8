#include "ResolvedDns.h"

#include <systemd/sd-bus.h>

#include <memory>

namespace ondrel {

namespace {

struct BusUnref {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Bus = std::unique_ptr<sd_bus, BusUnref>;
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

// The reply's variant of a(iiay): interface index, address family, address bytes.
std::optional<std::vector<ResolvedServer>> readServers(sd_bus_message* reply) {
    if (sd_bus_message_enter_container(reply, 'v', "a(iiay)") < 0 ||
        sd_bus_message_enter_container(reply, 'a', "(iiay)") < 0) {
        return std::nullopt;
    }
    std::vector<ResolvedServer> servers;
    int entered = 0;
    while ((entered = sd_bus_message_enter_container(reply, 'r', "iiay")) > 0) {
        ResolvedServer server;
        const void* bytes = nullptr;
        std::size_t size = 0;
        if (sd_bus_message_read(reply, "ii", &server.ifindex, &server.family) < 0 ||
            sd_bus_message_read_array(reply, 'y', &bytes, &size) < 0 ||
            sd_bus_message_exit_container(reply) < 0) {
            return std::nullopt;
        }
        const auto* first = static_cast<const uint8_t*>(bytes);
        server.address.assign(first, first + size);
        servers.push_back(std::move(server));
    }
    if (entered < 0) {
        return std::nullopt;
    }
    return servers;
}

} // namespace

std::optional<DnsConfig> askResolved(std::chrono::milliseconds timeout) {
    sd_bus* rawBus = nullptr;
    if (sd_bus_open_system(&rawBus) < 0) {
        return std::nullopt;
    }
    const Bus bus(rawBus);
    sd_bus_message* rawCall = nullptr;
    if (sd_bus_message_new_method_call(bus.get(), &rawCall, "org.freedesktop.resolve1",
                                       "/org/freedesktop/resolve1",
                                       "org.freedesktop.DBus.Properties", "Get") < 0) {
        return std::nullopt;
    }
    const Message call(rawCall);
    // Where resolved is not running, the PC does not use it: looking at the adapters must not
    // start it.
    if (sd_bus_message_append(call.get(), "ss", "org.freedesktop.resolve1.Manager", "DNS") < 0 ||
        sd_bus_message_set_auto_start(call.get(), 0) < 0) {
        return std::nullopt;
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* rawReply = nullptr;
    const auto usec = std::chrono::duration_cast<std::chrono::microseconds>(timeout).count();
    const int called =
        sd_bus_call(bus.get(), call.get(), static_cast<uint64_t>(usec), &error, &rawReply);
    sd_bus_error_free(&error);
    if (called < 0) {
        return std::nullopt;
    }
    const Message reply(rawReply);
    const std::optional<std::vector<ResolvedServer>> servers = readServers(reply.get());
    if (!servers) {
        return std::nullopt;
    }
    return dnsFromResolved(*servers);
}

std::optional<DnsConfig> ResolvedAnswer::get() const {
    const std::lock_guard<std::mutex> hold(m_mutex);
    return m_answer;
}

void ResolvedAnswer::store(std::optional<DnsConfig> answer) {
    const std::lock_guard<std::mutex> hold(m_mutex);
    m_answer = std::move(answer);
}

} // namespace ondrel
