<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>AboutDialog</name>
    <message>
        <source>关于 ZSeries Search</source>
        <translation>关于 ZSeries Search</translation>
    </message>
    <message>
        <source>Ondrel</source>
        <translation>Ondrel</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>版本</translation>
    </message>
    <message>
        <source>Copyright</source>
        <translation>版权</translation>
    </message>
    <message>
        <source>Copyright (C) Lumivora</source>
        <translation>版权所有 (C) Lumivora</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>AdapterPanel</name>
    <message>
        <source>Local PC information:</source>
        <translation>本机信息：</translation>
    </message>
    <message>
        <source>Network adapter:</source>
        <translation>网卡：</translation>
    </message>
    <message>
        <source>Network adapter</source>
        <translation>网卡</translation>
    </message>
    <message>
        <source>IP address:</source>
        <translation>IP 地址：</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IP 地址</translation>
    </message>
    <message>
        <source>Subnet mask:</source>
        <translation>子网掩码：</translation>
    </message>
    <message>
        <source>Subnet mask</source>
        <translation>子网掩码</translation>
    </message>
    <message>
        <source>Gateway:</source>
        <translation>网关：</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>网关</translation>
    </message>
    <message>
        <source>DNS1:</source>
        <translation>DNS1：</translation>
    </message>
    <message>
        <source>DNS1</source>
        <translation>DNS1</translation>
    </message>
    <message>
        <source>DNS2:</source>
        <translation>DNS2：</translation>
    </message>
    <message>
        <source>DNS2</source>
        <translation>DNS2</translation>
    </message>
</context>
<context>
    <name>DeviceForm</name>
    <message>
        <source>Device name:</source>
        <translation>设备名称：</translation>
    </message>
    <message>
        <source>Device name</source>
        <translation>设备名称</translation>
    </message>
    <message>
        <source>Sys. FirmwareVer:</source>
        <translation>系统固件版本：</translation>
    </message>
    <message>
        <source>Sys. FirmwareVer</source>
        <translation>系统固件版本</translation>
    </message>
    <message>
        <source>App. FirmwareVer:</source>
        <translation>应用固件版本：</translation>
    </message>
    <message>
        <source>App. FirmwareVer</source>
        <translation>应用固件版本</translation>
    </message>
    <message>
        <source>IP config:</source>
        <translation>IP 配置：</translation>
    </message>
    <message>
        <source>Set IP automatically</source>
        <translation>自动获取 IP</translation>
    </message>
    <message>
        <source>IP address(I):</source>
        <translation>IP 地址(I)：</translation>
    </message>
    <message>
        <source>IP address(&amp;I):</source>
        <translation>IP 地址(&amp;I)：</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IP 地址</translation>
    </message>
    <message>
        <source>Subnet mask(U):</source>
        <translation>子网掩码(U)：</translation>
    </message>
    <message>
        <source>Subnet mask(&amp;U):</source>
        <translation>子网掩码(&amp;U)：</translation>
    </message>
    <message>
        <source>Subnet mask</source>
        <translation>子网掩码</translation>
    </message>
    <message>
        <source>Gateway(G):</source>
        <translation>网关(G)：</translation>
    </message>
    <message>
        <source>Gateway(&amp;G):</source>
        <translation>网关(&amp;G)：</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>网关</translation>
    </message>
    <message>
        <source>DNS1(D):</source>
        <translation>DNS1(D)：</translation>
    </message>
    <message>
        <source>DNS1(&amp;D):</source>
        <translation>DNS1(&amp;D)：</translation>
    </message>
    <message>
        <source>DNS1</source>
        <translation>DNS1</translation>
    </message>
    <message>
        <source>Http port(P):</source>
        <translation>HTTP 端口(P)：</translation>
    </message>
    <message>
        <source>Http port(&amp;P):</source>
        <translation>HTTP 端口(&amp;P)：</translation>
    </message>
    <message>
        <source>Http port</source>
        <translation>HTTP 端口</translation>
    </message>
    <message>
        <source>Authentication:</source>
        <translation>身份验证：</translation>
    </message>
    <message>
        <source>Viewing Account:</source>
        <translation>浏览账号：</translation>
    </message>
    <message>
        <source>Viewing Account</source>
        <translation>浏览账号</translation>
    </message>
    <message>
        <source>Viewing Password:</source>
        <translation>浏览密码：</translation>
    </message>
    <message>
        <source>Viewing Password</source>
        <translation>浏览密码</translation>
    </message>
    <message>
        <source>Update(F5)</source>
        <translation>更新(F5)</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Device list:</source>
        <translation>设备列表：</translation>
    </message>
    <message>
        <source>Device count: 0</source>
        <translation>设备数量：0</translation>
    </message>
    <message>
        <source>0 个</source>
        <translation>0 个</translation>
    </message>
    <message>
        <source>Device list</source>
        <translation>设备列表</translation>
    </message>
    <message>
        <source>Device information:</source>
        <translation>设备信息：</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Tips:</source>
        <translation>提示：</translation>
    </message>
    <message>
        <source>1&gt; This tool is only used within LAN</source>
        <translation>1&gt; 本工具仅用于局域网内，</translation>
    </message>
    <message>
        <source>pc and device is within the same subnet.</source>
        <translation>电脑与设备须在同一子网内。</translation>
    </message>
    <message>
        <source>2&gt; Only the legit user can update  device informations.</source>
        <translation>2&gt; 只有合法用户才能修改设备信息。</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>注意</translation>
    </message>
    <message>
        <source>Search(F3)</source>
        <translation>搜索(F3)</translation>
    </message>
    <message>
        <source>Browse(F4)</source>
        <translation>浏览(F4)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>状态</translation>
    </message>
</context>
<context>
    <name>RestartProgress</name>
    <message>
        <source>Device restarting.....</source>
        <translation>设备正在重启.....</translation>
    </message>
    <message>
        <source>Restart progress</source>
        <translation>重启进度</translation>
    </message>
</context>
<context>
    <name>Texts</name>
    <message>
        <source>&amp;About Quorvex...</source>
        <translation>关于 Quorvex(&amp;A)...</translation>
    </message>
    <message>
        <source>Z6 series Search Tool(%1)</source>
        <translation>Z6 系列搜索工具(%1)</translation>
    </message>
    <message>
        <source>Z6 series Search Tool %1</source>
        <translation>Z6 系列搜索工具 %1</translation>
    </message>
    <message>
        <source>No.</source>
        <translation>序号</translation>
    </message>
    <message>
        <source>DeviceName</source>
        <translation>设备名称</translation>
    </message>
    <message>
        <source>MAC</source>
        <translation>MAC</translation>
    </message>
    <message>
        <source>Adapter</source>
        <translation>网卡</translation>
    </message>
    <message>
        <source>%1 is outside %2&apos;s subnet %3: the browser cannot reach it until you change its address or the PC&apos;s</source>
        <translation>%1 不在 %2 的子网 %3 内：更改设备或电脑的地址之前，浏览器无法访问它</translation>
    </message>
    <message>
        <source>%1 answered on %2, which has no IPv4 address: the browser cannot reach it until you give the PC an address in the device&apos;s subnet or change the device&apos;s</source>
        <translation>%1 通过没有 IPv4 地址的 %2 应答：为电脑设置设备所在子网内的地址或更改设备的地址之前，浏览器无法访问它</translation>
    </message>
    <message>
        <source>Searched on 1 adapter</source>
        <translation>已在 1 个网卡上搜索</translation>
    </message>
    <message>
        <source>1 device</source>
        <translation>1 台设备</translation>
    </message>
    <message numerus="yes">
        <source>%1 replies were lost: the receive buffer was full. Search again, or raise net.core.rmem_max</source>
        <extracomment>%1 is the number of replies; the plural form follows it.</extracomment>
        <translation>
            <numerusform>丢失了 %1 个应答：接收缓冲区已满。请重新搜索，或调大 net.core.rmem_max</numerusform>
        </translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Ask</source>
        <translation>询问</translation>
    </message>
    <message>
        <source>Failed to initialize.</source>
        <translation>初始化失败。</translation>
    </message>
    <message>
        <source>Please select one device from list.</source>
        <translation>请从列表中选择一个设备。</translation>
    </message>
    <message>
        <source>Are you sure to update the selected device?</source>
        <translation>确定要更新所选设备吗？</translation>
    </message>
    <message>
        <source>Device information successfully updated!</source>
        <translation>设备信息更新成功！</translation>
    </message>
    <message>
        <source>The viewing account or password is wrong!</source>
        <translation>浏览账号或密码错误！</translation>
    </message>
    <message>
        <source>Can&apos;t use this http port.</source>
        <translation>无法使用此 HTTP 端口。</translation>
    </message>
    <message>
        <source>No answer from the device. If it accepted the new settings it is restarting now; the list will be refreshed when the restart is over.</source>
        <translation>设备无应答。如果设备已接受新设置，它正在重启；重启完成后列表将刷新。</translation>
    </message>
    <message>
        <source>The device reports no valid IP address.</source>
        <translation>设备未报告有效的 IP 地址。</translation>
    </message>
    <message>
        <source>The request could not be sent: %1</source>
        <translation>无法发送请求：%1</translation>
    </message>
    <message numerus="yes">
        <source>Searched on %n adapters</source>
        <translation>
            <numerusform>已在 %n 个网卡上搜索</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n devices</source>
        <translation>
            <numerusform>%n 台设备</numerusform>
        </translation>
    </message>
    <message>
        <source>1 reply was lost: the receive buffer was full. Search again, or raise net.core.rmem_max</source>
        <translation>丢失了 1 个应答：接收缓冲区已满。请重新搜索，或调大 net.core.rmem_max</translation>
    </message>
    <message>
        <source>List full: 1 more reply was ignored</source>
        <translation>列表已满：另有 1 个应答被忽略</translation>
    </message>
    <message numerus="yes">
        <source>List full: %1 more replies were ignored</source>
        <extracomment>%1 is the number of replies; the plural form follows it.</extracomment>
        <translation>
            <numerusform>列表已满：另有 %1 个应答被忽略</numerusform>
        </translation>
    </message>
    <message>
        <source>Device count: %1</source>
        <translation>设备数量：%1</translation>
    </message>
</context>
<context>
    <name>ondrel::IpAddressControl</name>
    <message>
        <source>octet %1</source>
        <translation>第 %1 段</translation>
    </message>
</context>
</TS>
