# The simulated site the demo and the README's picture show, sourced by scripts/run and
# scripts/screenshot so that the picture is what the demo's window shows.
#
#   write_our_cameras FILE N FACTORY   N cameras of ours in the lab's subnet (10.77.0.101 up)
#                                      and FACTORY more out of the box at 192.168.0.64
#   write_other_cameras FILE           another maker's four cameras, which answer ONVIF
#                                      WS-Discovery alone (played with --onvif-only
#                                      --onvif-quirks: real cameras' shapes)

write_our_cameras() {
    local file=$1 count=$2 factory=$3 i
    {
        printf '{"devices": [\n'
        for ((i = 1; i <= count; i++)); do
            printf '{"name": "Lab Camera %02d", "devId": "CAM%08d", "mac": "02:4F:4E:0A:00:%02X",' \
                "$i" "$i" "$i"
            printf ' "ip": "10.77.0.%d", "mask": "255.255.255.0", "gateway": "10.77.0.254",' \
                $((100 + i))
            printf ' "dns0": "10.77.0.254", "dns1": "", "httpPort": 80, "dhcp": false}%s\n' \
                "$([[ $i == "$count" && $factory == 0 ]] || echo ,)"
        done
        for ((i = 0; i < factory; i++)); do
            printf '{"name": "Factory Camera", "devId": "CAM000000%02X", "mac": "02:4F:4E:0B:00:%02X",' \
                $((0x40 + i)) $((0x40 + i))
            printf ' "ip": "192.168.0.64", "mask": "255.255.255.0", "gateway": "192.168.0.1",'
            printf ' "dns0": "192.168.0.1", "dns1": "", "httpPort": 80, "dhcp": false}%s\n' \
                "$([[ $i == $((factory - 1)) ]] || echo ,)"
        done
        printf ']}\n'
    } >"$file"
}

write_other_cameras() {
    local file=$1 i
    {
        printf '{"devices": [\n'
        for i in 1 2 3 4; do
            printf '{"name": "Other Maker %d", "mac": "02:4F:4E:0C:00:%02X", "ip": "10.77.0.%d",' \
                "$i" "$i" $((200 + i))
            printf ' "mask": "255.255.255.0", "hardware": "OM-%d00"}%s\n' "$i" \
                "$([[ $i == 4 ]] || echo ,)"
        done
        printf ']}\n'
    } >"$file"
}
