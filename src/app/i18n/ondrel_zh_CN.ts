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
    <name>AssignDialog</name>
    <message>
        <source>Assign addresses</source>
        <translation>分配地址</translation>
    </message>
    <message>
        <source>New addresses</source>
        <translation>新地址</translation>
    </message>
    <message>
        <source>&amp;First address:</source>
        <translation>起始地址(&amp;F)：</translation>
    </message>
    <message>
        <source>First address</source>
        <translation>起始地址</translation>
    </message>
    <message>
        <source>Subnet &amp;mask:</source>
        <translation>子网掩码(&amp;M)：</translation>
    </message>
    <message>
        <source>Subnet mask</source>
        <translation>子网掩码</translation>
    </message>
    <message>
        <source>&amp;Gateway:</source>
        <translation>网关(&amp;G)：</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>网关</translation>
    </message>
    <message>
        <source>each device keeps its own</source>
        <translation>各设备保留原值</translation>
    </message>
    <message>
        <source>&amp;DNS:</source>
        <translation>DNS(&amp;D)：</translation>
    </message>
    <message>
        <source>DNS</source>
        <translation>DNS</translation>
    </message>
    <message>
        <source>HTTP &amp;port:</source>
        <translation>HTTP 端口(&amp;P)：</translation>
    </message>
    <message>
        <source>HTTP port</source>
        <translation>HTTP 端口</translation>
    </message>
    <message>
        <source>&amp;Load plan...</source>
        <translation>载入计划(&amp;L)...</translation>
    </message>
    <message>
        <source>Load plan...</source>
        <translation>载入计划...</translation>
    </message>
    <message>
        <source>Account of the devices</source>
        <translation>设备账号</translation>
    </message>
    <message>
        <source>&amp;Account:</source>
        <translation>账号(&amp;A)：</translation>
    </message>
    <message>
        <source>Viewing Account</source>
        <translation>浏览账号</translation>
    </message>
    <message>
        <source>Pass&amp;word:</source>
        <translation>密码(&amp;W)：</translation>
    </message>
    <message>
        <source>Viewing Password</source>
        <translation>浏览密码</translation>
    </message>
    <message>
        <source>Devices and their new addresses</source>
        <translation>设备及其新地址</translation>
    </message>
    <message>
        <source>Addresses passed over:</source>
        <translation>跳过的地址：</translation>
    </message>
    <message>
        <source>Addresses passed over</source>
        <translation>跳过的地址</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>消息</translation>
    </message>
    <message>
        <source>&amp;Save report...</source>
        <translation>保存报告(&amp;S)...</translation>
    </message>
    <message>
        <source>&amp;Apply</source>
        <translation>应用(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>取消(&amp;C)</translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation>关闭(&amp;L)</translation>
    </message>
    <message>
        <source>Save report...</source>
        <translation>保存报告...</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>应用</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>AssignTexts</name>
    <message>
        <source>Line %1: </source>
        <translation>第 %1 行：</translation>
    </message>
    <message>
        <source>Device %1: </source>
        <translation>设备 %1：</translation>
    </message>
    <message>
        <source> (as an earlier row)</source>
        <translation>（与前面某行相同）</translation>
    </message>
    <message>
        <source> (as device %1)</source>
        <translation>（与设备 %1 相同）</translation>
    </message>
    <message>
        <source>No devices were chosen.</source>
        <translation>未选择任何设备。</translation>
    </message>
    <message>
        <source>The first address is not a usable IPv4 address.</source>
        <translation>起始地址不是可用的 IPv4 地址。</translation>
    </message>
    <message>
        <source>The subnet mask is not a mask.</source>
        <translation>子网掩码无效。</translation>
    </message>
    <message>
        <source>The subnet mask leaves no address for a device.</source>
        <translation>该子网掩码没有可供设备使用的地址。</translation>
    </message>
    <message>
        <source>The address is the subnet&apos;s network or broadcast address.</source>
        <translation>该地址是子网的网络地址或广播地址。</translation>
    </message>
    <message>
        <source>The gateway is not an address in the subnet.</source>
        <translation>网关不是该子网内的地址。</translation>
    </message>
    <message>
        <source>The DNS server is not a usable IPv4 address.</source>
        <translation>DNS 服务器不是可用的 IPv4 地址。</translation>
    </message>
    <message>
        <source>The HTTP port 10000 cannot be used.</source>
        <translation>不能使用 HTTP 端口 10000。</translation>
    </message>
    <message>
        <source>The HTTP port is not 1..65535.</source>
        <translation>HTTP 端口不在 1..65535 范围内。</translation>
    </message>
    <message>
        <source>The subnet has no free address left for it.</source>
        <translation>子网中已没有可分配给它的空闲地址。</translation>
    </message>
    <message>
        <source>The device reports no device ID, so no request can name it.</source>
        <translation>该设备未报告设备 ID，因此无法在请求中指定它。</translation>
    </message>
    <message>
        <source>Another chosen device has the same device ID%1.</source>
        <translation>另一台已选设备的设备 ID 与其相同%1。</translation>
    </message>
    <message>
        <source>The device is chosen twice%1.</source>
        <translation>该设备被选择了两次%1。</translation>
    </message>
    <message>
        <source>No device with this MAC answered the search.</source>
        <translation>没有该 MAC 的设备应答搜索。</translation>
    </message>
    <message>
        <source>Not a MAC address.</source>
        <translation>不是 MAC 地址。</translation>
    </message>
    <message>
        <source>The address is given twice%1.</source>
        <translation>该地址被分配了两次%1。</translation>
    </message>
    <message>
        <source>%1: reported by %2</source>
        <translation>%1：已被 %2 使用</translation>
    </message>
    <message>
        <source>%1: this PC&apos;s address</source>
        <translation>%1：本机地址</translation>
    </message>
    <message>
        <source>%1: this PC&apos;s address on %2</source>
        <translation>%1：本机在 %2 上的地址</translation>
    </message>
    <message>
        <source>%1: the gateway</source>
        <translation>%1：网关</translation>
    </message>
    <message>
        <source>%1: the gateway of %2</source>
        <translation>%1：%2 的网关</translation>
    </message>
    <message>
        <source>%1: in use on the LAN</source>
        <translation>%1：局域网中已被占用</translation>
    </message>
    <message>
        <source>%1: in use on the LAN by %2</source>
        <translation>%1：局域网中已被 %2 占用</translation>
    </message>
    <message>
        <source>%1: taken</source>
        <translation>%1：已占用</translation>
    </message>
    <message>
        <source>free</source>
        <translation>空闲</translation>
    </message>
    <message>
        <source>not checked (outside the adapter&apos;s subnet)</source>
        <translation>未检查（不在网卡的子网内）</translation>
    </message>
    <message>
        <source>not checked (the check failed)</source>
        <translation>未检查（检查失败）</translation>
    </message>
    <message>
        <source>planned</source>
        <translation>已计划</translation>
    </message>
    <message>
        <source>sending</source>
        <translation>发送中</translation>
    </message>
    <message>
        <source>accepted</source>
        <translation>已接受</translation>
    </message>
    <message>
        <source>refused</source>
        <translation>已拒绝</translation>
    </message>
    <message>
        <source>no answer</source>
        <translation>无应答</translation>
    </message>
    <message>
        <source>late</source>
        <translation>迟到应答</translation>
    </message>
    <message>
        <source>not sent</source>
        <translation>未发送</translation>
    </message>
    <message>
        <source>verified</source>
        <translation>已验证</translation>
    </message>
    <message>
        <source>not verified</source>
        <translation>未通过验证</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>未找到</translation>
    </message>
    <message>
        <source>The plan file cannot be read.</source>
        <translation>无法读取计划文件。</translation>
    </message>
    <message>
        <source>The plan file is too large.</source>
        <translation>计划文件过大。</translation>
    </message>
    <message>
        <source>The plan file has no header row.</source>
        <translation>计划文件没有标题行。</translation>
    </message>
    <message>
        <source>The line is too long.</source>
        <translation>该行过长。</translation>
    </message>
    <message>
        <source>The plan file has too many rows.</source>
        <translation>计划文件行数过多。</translation>
    </message>
    <message>
        <source>The line holds a control character.</source>
        <translation>该行包含控制字符。</translation>
    </message>
    <message>
        <source>A quote is not closed, or text follows a closing quote.</source>
        <translation>引号未闭合，或闭合引号后还有文字。</translation>
    </message>
    <message>
        <source>The header names the column %1 twice.</source>
        <translation>标题行中列 %1 出现了两次。</translation>
    </message>
    <message>
        <source>The header has no column %1.</source>
        <translation>标题行中没有列 %1。</translation>
    </message>
    <message>
        <source>The row has %1 fields, the header %2.</source>
        <translation>该行有 %1 个字段，标题行有 %2 个。</translation>
    </message>
    <message>
        <source>The row has no value for %1.</source>
        <translation>该行缺少 %1 的值。</translation>
    </message>
    <message>
        <source>The plan file cannot be used.</source>
        <translation>无法使用该计划文件。</translation>
    </message>
    <message>
        <source>The address is not a usable IPv4 address.</source>
        <translation>该地址不是可用的 IPv4 地址。</translation>
    </message>
    <message numerus="yes">
        <source> (so are those of %1 and %n more)</source>
        <translation>
            <numerusform>（%1 及另外 %n 台设备的网关也是如此）</numerusform>
        </translation>
    </message>
    <message>
        <source> (so are those of %1)</source>
        <translation>（%1 的网关也是如此）</translation>
    </message>
    <message>
        <source>Its own gateway %1 is outside the row&apos;s subnet%2. Give the row a GateWay (0.0.0.0 for none).</source>
        <translation>其自身的网关 %1 不在该行的子网内%2。请为该行填写 GateWay（0.0.0.0 表示无）。</translation>
    </message>
    <message>
        <source>Its own gateway %1 is outside the new subnet%2. Type a gateway (0.0.0.0 for none).</source>
        <translation>其自身的网关 %1 不在新子网内%2。请输入网关（0.0.0.0 表示无）。</translation>
    </message>
    <message>
        <source>kept: the device&apos;s own address</source>
        <translation>保留：设备自身的地址</translation>
    </message>
    <message>
        <source>unchanged</source>
        <translation>未更改</translation>
    </message>
    <message>
        <source>No camera with this endpoint reference answered the search.</source>
        <translation>没有具有此端点引用的摄像机响应搜索。</translation>
    </message>
    <message>
        <source>The camera gave no ONVIF device service to change it through.</source>
        <translation>该摄像机未提供可用于更改设置的 ONVIF 设备服务。</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>失败</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <extracomment>%1 says why in English words from the camera or the plan, e.g. &quot;no answer within 10000 ms&quot;.</extracomment>
        <translation>失败：%1</translation>
    </message>
    <message>
        <source>not verified: %1</source>
        <extracomment>%1 says what the camera read back otherwise, e.g. &quot;gateway 10.1.0.1 reads 0.0.0.0&quot;.</extracomment>
        <translation>未通过验证：%1</translation>
    </message>
</context>
<context>
    <name>DetailsAccountDialog</name>
    <message>
        <source>Read details</source>
        <translation>读取详细信息</translation>
    </message>
    <message>
        <source>The cameras are asked with this account. Leave it empty to read only what cameras tell anyone (their clock and host name).</source>
        <translation>使用此账户询问摄像机。留空则只读取摄像机对任何人公开的信息（时钟和主机名）。</translation>
    </message>
    <message>
        <source>&amp;Account:</source>
        <translation>账号(&amp;A)：</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>账户</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>密码(&amp;P)：</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>密码</translation>
    </message>
</context>
<context>
    <name>DetailsTexts</name>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <extracomment>Hours and minutes of a clock offset, e.g. &quot;2 h 05 min&quot;.</extracomment>
        <translation>%1 小时 %2 分钟</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 分钟</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 秒</translation>
    </message>
    <message>
        <source>in step</source>
        <translation>同步</translation>
    </message>
    <message>
        <source>The camera&apos;s clock is %1 ahead of this PC</source>
        <extracomment>%1 is how far the camera&apos;s clock is off, e.g. &quot;2 h 05 min&quot;.</extracomment>
        <translation>摄像机的时钟比本电脑快 %1</translation>
    </message>
    <message>
        <source>The camera&apos;s clock is %1 behind this PC</source>
        <translation>摄像机的时钟比本电脑慢 %1</translation>
    </message>
    <message>
        <source>Reading details: %1 of %2 cameras</source>
        <translation>正在读取详细信息：%1 / %2 台摄像机</translation>
    </message>
    <message>
        <source>Details read from %1 of %2 cameras</source>
        <extracomment>%1 cameras of %2 answered with their details.</extracomment>
        <translation>已读取 %2 台摄像机中 %1 台的详细信息</translation>
    </message>
    <message>
        <source>the account was refused by 3 cameras in a row; the others were not asked</source>
        <translation>账户被连续 3 台摄像机拒绝；其余摄像机未被询问</translation>
    </message>
    <message>
        <source>every camera asked refused the account</source>
        <translation>所有被询问的摄像机都拒绝了该账户</translation>
    </message>
    <message>
        <source>%1 refused the account</source>
        <translation>%1 台拒绝了该账户</translation>
    </message>
    <message>
        <source>cancelled: %1 were not asked</source>
        <translation>已取消：%1 台未被询问</translation>
    </message>
    <message>
        <source>without an account only the clock and the host name</source>
        <translation>无账户时只读取时钟和主机名</translation>
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
    <message>
        <source>Filter</source>
        <translation>筛选</translation>
    </message>
    <message>
        <source>Filter by name, MAC, IP or ID (Ctrl+F)</source>
        <translation>按名称、MAC、IP 或 ID 筛选 (Ctrl+F)</translation>
    </message>
    <message>
        <source>Assign addresses...</source>
        <translation>分配地址...</translation>
    </message>
    <message>
        <source>Read details</source>
        <translation>读取详细信息</translation>
    </message>
    <message>
        <source>Reads every camera&apos;s maker, model, firmware, serial, clock and time servers (Ctrl+D)</source>
        <translation>读取每台摄像机的制造商、型号、固件、序列号、时钟和时间服务器 (Ctrl+D)</translation>
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
        <source>Our own protocol sends the account and password in clear text to every device on the LAN. A device that also speaks ONVIF is changed with the password protected (HTTP digest) by: ondrel-cli set --protocol onvif</source>
        <translation>我们自己的协议会把账户和密码以明文发送给局域网内的每一台设备。同时支持 ONVIF 的设备可以在密码受保护（HTTP 摘要认证）的情况下修改：ondrel-cli set --protocol onvif</translation>
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
        <source>The camera refused the account: wrong password, or an account without the right to change settings.</source>
        <translation>摄像机拒绝了该账号：密码错误，或该账号无权更改设置。</translation>
    </message>
    <message>
        <source>%1 cannot be a device&apos;s address.</source>
        <translation>%1 不能作为设备的地址。</translation>
    </message>
    <message>
        <source>%1 is not a subnet mask.</source>
        <translation>%1 不是子网掩码。</translation>
    </message>
    <message>
        <source>%1 is the network address of its subnet /%2.</source>
        <extracomment>%2 is the mask&apos;s prefix length, e.g. 24.</extracomment>
        <translation>%1 是其子网 /%2 的网络地址。</translation>
    </message>
    <message>
        <source>%1 is the broadcast address of its subnet /%2.</source>
        <extracomment>%2 is the mask&apos;s prefix length, e.g. 24.</extracomment>
        <translation>%1 是其子网 /%2 的广播地址。</translation>
    </message>
    <message>
        <source>The gateway %1 is not in the subnet of %2/%3.</source>
        <extracomment>%2/%3 is the device&apos;s new address and the mask&apos;s prefix length, e.g. 10.0.0.5/24.</extracomment>
        <translation>网关 %1 不在 %2/%3 的子网内。</translation>
    </message>
    <message>
        <source>The gateway %1 is the device&apos;s own address.</source>
        <translation>网关 %1 是设备自己的地址。</translation>
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
    <message>
        <source>IP</source>
        <translation>IP</translation>
    </message>
    <message>
        <source>HTTP port</source>
        <translation>HTTP 端口</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>模式</translation>
    </message>
    <message>
        <source>WebVersion</source>
        <translation>Web 版本</translation>
    </message>
    <message>
        <source>AppVersion</source>
        <translation>应用版本</translation>
    </message>
    <message>
        <source>Device ID</source>
        <translation>设备 ID</translation>
    </message>
    <message>
        <source>static</source>
        <translation>静态</translation>
    </message>
    <message>
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>%1 on %2 is also the address of %3: the browser may show another device until each has an address of its own</source>
        <extracomment>%1 is a device&apos;s address, %2 the PC&apos;s adapter, %3 the others, e.g. &quot;Cam 3 (02:00:00:00:00:03), this PC&quot;.</extracomment>
        <translation>%2 上的 %1 也是 %3 的地址：在每台设备都有自己的地址之前，浏览器可能会显示另一台设备</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>this PC</source>
        <translation>本机</translation>
    </message>
    <message>
        <source>Claimed by %1 and %2: either may not be this camera. Nothing is sent to it until a search in which one of them alone answers.</source>
        <extracomment>%1 and %2 are the addresses of hosts that both claim to be this camera, e.g. &quot;10.0.0.5&quot; and &quot;10.0.0.66&quot;; %1 may name several, comma-separated.</extracomment>
        <translation>%1 和 %2 都声称是这台摄像机：其中可能有一个不是它。在某次搜索中只有其中一个应答之前，不会向它发送任何内容。</translation>
    </message>
    <message>
        <source>Showing %1 of %2</source>
        <translation>显示 %2 台中的 %1 台</translation>
    </message>
    <message>
        <source>&amp;Save list...</source>
        <translation>保存列表(&amp;S)...</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>复制(&amp;C)</translation>
    </message>
    <message>
        <source>Save list</source>
        <translation>保存列表</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV 文件 (*.csv)</translation>
    </message>
    <message>
        <source>JSON files (*.json)</source>
        <translation>JSON 文件 (*.json)</translation>
    </message>
    <message>
        <source>The list could not be saved to %1: %2</source>
        <translation>无法将列表保存到 %1：%2</translation>
    </message>
    <message>
        <source>1 more device</source>
        <translation>另外 1 台设备</translation>
    </message>
    <message numerus="yes">
        <source>%1 more devices</source>
        <extracomment>%1 is the number of devices; the plural form follows it.</extracomment>
        <translation>
            <numerusform>另外 %1 台设备</numerusform>
        </translation>
    </message>
    <message>
        <source>Quillnet</source>
        <translation>Quillnet</translation>
    </message>
    <message>
        <source>Port 3702 is in use: cameras that announce themselves are not shown</source>
        <translation>端口 3702 已被占用：主动通告自身的摄像机不会显示</translation>
    </message>
    <message>
        <source>Left at %1</source>
        <extracomment>The tooltip of a camera that said it was leaving; %1 is the time, e.g. 14:05:09.</extracomment>
        <translation>已于 %1 离线</translation>
    </message>
    <message>
        <source>native</source>
        <translation>原生</translation>
    </message>
    <message>
        <source>ONVIF</source>
        <translation>ONVIF</translation>
    </message>
    <message>
        <source>native + ONVIF</source>
        <translation>原生 + ONVIF</translation>
    </message>
    <message>
        <source>Protocol</source>
        <translation>协议</translation>
    </message>
    <message>
        <source>Hardware</source>
        <translation>硬件</translation>
    </message>
    <message>
        <source>Location</source>
        <translation>位置</translation>
    </message>
    <message>
        <source>Service URL</source>
        <translation>服务 URL</translation>
    </message>
    <message>
        <source>Endpoint</source>
        <translation>端点</translation>
    </message>
    <message>
        <source>Manufacturer</source>
        <translation>制造商</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>型号</translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation>固件</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>序列号</translation>
    </message>
    <message>
        <source>Hostname</source>
        <translation>主机名</translation>
    </message>
    <message>
        <source>Clock</source>
        <translation>时钟</translation>
    </message>
    <message>
        <source>Time servers</source>
        <translation>时间服务器</translation>
    </message>
    <message>
        <source>The camera has these settings already: nothing was changed.</source>
        <translation>摄像机已是这些设置：未做任何更改。</translation>
    </message>
    <message>
        <source>The camera was not updated: failed: %1</source>
        <extracomment>%1 says why in English words from the camera&apos;s answer, e.g. &quot;no answer within 10000 ms&quot;.</extracomment>
        <translation>摄像机未更新：失败：%1</translation>
    </message>
    <message>
        <source>The camera was not updated: it shares its address with 1 other: connect it alone.</source>
        <translation>摄像机未更新：它与另外 1 台设备共用同一地址：请单独连接它。</translation>
    </message>
    <message numerus="yes">
        <source>The camera was not updated: it shares its address with %n others: connect it alone.</source>
        <translation>
            <numerusform>摄像机未更新：它与另外 %n 台设备共用同一地址：请单独连接它。</numerusform>
        </translation>
    </message>
    <message>
        <source>The camera answers at its new address and reports the settings sent.</source>
        <translation>摄像机在新地址上应答，并报告了所发送的设置。</translation>
    </message>
    <message>
        <source>The camera answers at its new address but does not report the settings sent: %1</source>
        <extracomment>%1 says what differs in English words, e.g. &quot;gateway 10.1.0.1 reads 0.0.0.0&quot;.</extracomment>
        <translation>摄像机在新地址上应答，但未报告所发送的设置：%1</translation>
    </message>
    <message>
        <source>The camera did not answer at its new address after its restart.</source>
        <translation>摄像机重启后未在新地址上应答。</translation>
    </message>
</context>
<context>
    <name>ondrel::AssignDialog</name>
    <message>
        <source>IP</source>
        <translation>IP</translation>
    </message>
    <message>
        <source>New IP</source>
        <translation>新 IP</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>结果</translation>
    </message>
    <message>
        <source>Type the first address and the subnet mask.</source>
        <translation>请输入起始地址和子网掩码。</translation>
    </message>
    <message>
        <source>Checking which addresses are in use on the LAN...</source>
        <translation>正在检查局域网中哪些地址已被占用...</translation>
    </message>
    <message>
        <source>Could not check which addresses are in use: %1. Nothing was sent.</source>
        <translation>无法检查哪些地址已被占用：%1。未发送任何内容。</translation>
    </message>
    <message>
        <source>Nothing was sent.</source>
        <translation>未发送任何内容。</translation>
    </message>
    <message>
        <source>Sending the new addresses, one device at a time...</source>
        <translation>正在逐台发送新地址...</translation>
    </message>
    <message>
        <source>The devices are restarting with their new addresses...</source>
        <translation>设备正在以新地址重启...</translation>
    </message>
    <message>
        <source>Searching to check every device...</source>
        <translation>正在搜索以检查每台设备...</translation>
    </message>
    <message>
        <source>Cancelled: the table shows what was done.</source>
        <translation>已取消：表格显示了已完成的操作。</translation>
    </message>
    <message>
        <source>Cancelled: nothing was sent.</source>
        <translation>已取消：未发送任何内容。</translation>
    </message>
    <message>
        <source>Cancelling after the device in flight...</source>
        <translation>将在当前设备完成后取消...</translation>
    </message>
    <message>
        <source>The report could not be saved: %1</source>
        <translation>无法保存报告：%1</translation>
    </message>
    <message>
        <source>The report was saved to %1.</source>
        <translation>报告已保存到 %1。</translation>
    </message>
    <message>
        <source>Load plan</source>
        <translation>载入计划</translation>
    </message>
    <message>
        <source>Plan files (*.csv);;All files (*)</source>
        <translation>计划文件 (*.csv);;所有文件 (*)</translation>
    </message>
    <message>
        <source>Save report</source>
        <translation>保存报告</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV 文件 (*.csv)</translation>
    </message>
    <message>
        <source>Wait until the update in progress is over, then assign the addresses.</source>
        <translation>请等待正在进行的更新结束后再分配地址。</translation>
    </message>
    <message>
        <source>1 device planned; nothing is sent before you apply and confirm.</source>
        <translation>已为 1 台设备制定计划；在您应用并确认之前不会发送任何内容。</translation>
    </message>
    <message numerus="yes">
        <source>%n devices planned; nothing is sent before you apply and confirm.</source>
        <translation>
            <numerusform>已为 %n 台设备制定计划；在您应用并确认之前不会发送任何内容。</numerusform>
        </translation>
    </message>
    <message>
        <source>Send this address to 1 device?</source>
        <translation>将此地址发送给 1 台设备？</translation>
    </message>
    <message numerus="yes">
        <source>Send these addresses to %n devices?</source>
        <translation>
            <numerusform>将这些地址发送给 %n 台设备？</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 of 1 device verified.</source>
        <translation>1 台设备中 %1 台已验证。</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n devices verified.</source>
        <translation>
            <numerusform>%n 台设备中 %1 台已验证。</numerusform>
        </translation>
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
