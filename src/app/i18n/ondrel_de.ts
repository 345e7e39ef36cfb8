<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AboutDialog</name>
    <message>
        <source>关于 ZSeries Search</source>
        <translation>Über ZSeries Search</translation>
    </message>
    <message>
        <source>Ondrel</source>
        <translation>Ondrel</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Copyright</source>
        <translation>Urheberrecht</translation>
    </message>
    <message>
        <source>Copyright (C) Lumivora</source>
        <translation>Copyright (C) Lumivora</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>AdapterPanel</name>
    <message>
        <source>Local PC information:</source>
        <translation>Informationen zu diesem PC:</translation>
    </message>
    <message>
        <source>Network adapter:</source>
        <translation>Netzwerkadapter:</translation>
    </message>
    <message>
        <source>Network adapter</source>
        <translation>Netzwerkadapter</translation>
    </message>
    <message>
        <source>IP address:</source>
        <translation>IP-Adresse:</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IP-Adresse</translation>
    </message>
    <message>
        <source>Subnet mask:</source>
        <translation>Subnetzmaske:</translation>
    </message>
    <message>
        <source>Subnet mask</source>
        <translation>Subnetzmaske</translation>
    </message>
    <message>
        <source>Gateway:</source>
        <translation>Gateway:</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>DNS1:</source>
        <translation>DNS1:</translation>
    </message>
    <message>
        <source>DNS1</source>
        <translation>DNS1</translation>
    </message>
    <message>
        <source>DNS2:</source>
        <translation>DNS2:</translation>
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
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New addresses</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;First address:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>First address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subnet &amp;mask:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subnet mask</source>
        <translation type="unfinished">Subnetzmaske</translation>
    </message>
    <message>
        <source>&amp;Gateway:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation type="unfinished">Gateway</translation>
    </message>
    <message>
        <source>each device keeps its own</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;DNS:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DNS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HTTP &amp;port:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HTTP port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Load plan...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load plan...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Account of the devices</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Account:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Viewing Account</source>
        <translation type="unfinished">Zugangskonto</translation>
    </message>
    <message>
        <source>Pass&amp;word:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Viewing Password</source>
        <translation type="unfinished">Zugangspasswort</translation>
    </message>
    <message>
        <source>Devices and their new addresses</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Addresses passed over:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Addresses passed over</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Message</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Save report...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>amp;Save report...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Apply</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>amp;Apply</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>amp;Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camp;lose</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AssignTexts</name>
    <message>
        <source>Line %1: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Device %1: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> (as an earlier row)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> (as device %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No devices were chosen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The first address is not a usable IPv4 address.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The subnet mask is not a mask.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The subnet mask leaves no address for a device.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The address is the subnet&apos;s network or broadcast address.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The gateway is not an address in the subnet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The DNS server is not a usable IPv4 address.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The HTTP port 10000 cannot be used.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The HTTP port is not 1..65535.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The subnet has no free address left for it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The device reports no device ID, so no request can name it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Another chosen device has the same device ID%1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The device is chosen twice%1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No device with this MAC answered the search.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not a MAC address.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The address is given twice%1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The address is taken.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The plan cannot be carried out.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: reported by %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: this PC&apos;s address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: this PC&apos;s address on %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: the gateway</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: the gateway of %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: in use on the LAN</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: in use on the LAN by %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: taken</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>free</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not checked (outside the adapter&apos;s subnet)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not checked (the check failed)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>planned</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>sending</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>accepted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>refused</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no answer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>late</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not sent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>verified</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not verified</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>missing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The plan file cannot be read.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The plan file is too large.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The plan file has no header row.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The line is too long.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The plan file has too many rows.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The line holds a control character.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A quote is not closed, or text follows a closing quote.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The header names the column %1 twice.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The header has no column %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The row has %1 fields, the header %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The row has no value for %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The plan file cannot be used.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DeviceForm</name>
    <message>
        <source>Device name:</source>
        <translation>Gerätename:</translation>
    </message>
    <message>
        <source>Device name</source>
        <translation>Gerätename</translation>
    </message>
    <message>
        <source>Sys. FirmwareVer:</source>
        <translation>System-Firmware:</translation>
    </message>
    <message>
        <source>Sys. FirmwareVer</source>
        <translation>System-Firmware</translation>
    </message>
    <message>
        <source>App. FirmwareVer:</source>
        <translation>Anwendungs-Firmware:</translation>
    </message>
    <message>
        <source>App. FirmwareVer</source>
        <translation>Anwendungs-Firmware</translation>
    </message>
    <message>
        <source>IP config:</source>
        <translation>IP-Konfiguration:</translation>
    </message>
    <message>
        <source>Set IP automatically</source>
        <translation>IP automatisch beziehen</translation>
    </message>
    <message>
        <source>IP address(I):</source>
        <translation>IP-Adresse(I):</translation>
    </message>
    <message>
        <source>IP address(&amp;I):</source>
        <translation>IP-Adresse(&amp;I):</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IP-Adresse</translation>
    </message>
    <message>
        <source>Subnet mask(U):</source>
        <translation>Subnetzmaske(U):</translation>
    </message>
    <message>
        <source>Subnet mask(&amp;U):</source>
        <translation>Subnetzmaske(&amp;U):</translation>
    </message>
    <message>
        <source>Subnet mask</source>
        <translation>Subnetzmaske</translation>
    </message>
    <message>
        <source>Gateway(G):</source>
        <translation>Gateway(G):</translation>
    </message>
    <message>
        <source>Gateway(&amp;G):</source>
        <translation>Gateway(&amp;G):</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>DNS1(D):</source>
        <translation>DNS1(D):</translation>
    </message>
    <message>
        <source>DNS1(&amp;D):</source>
        <translation>DNS1(&amp;D):</translation>
    </message>
    <message>
        <source>DNS1</source>
        <translation>DNS1</translation>
    </message>
    <message>
        <source>Http port(P):</source>
        <translation>HTTP-Port(P):</translation>
    </message>
    <message>
        <source>Http port(&amp;P):</source>
        <translation>HTTP-Port(&amp;P):</translation>
    </message>
    <message>
        <source>Http port</source>
        <translation>HTTP-Port</translation>
    </message>
    <message>
        <source>Authentication:</source>
        <translation>Anmeldung:</translation>
    </message>
    <message>
        <source>Viewing Account:</source>
        <translation>Zugangskonto:</translation>
    </message>
    <message>
        <source>Viewing Account</source>
        <translation>Zugangskonto</translation>
    </message>
    <message>
        <source>Viewing Password:</source>
        <translation>Zugangspasswort:</translation>
    </message>
    <message>
        <source>Viewing Password</source>
        <translation>Zugangspasswort</translation>
    </message>
    <message>
        <source>Update(F5)</source>
        <translation>Aktualisieren(F5)</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Device list:</source>
        <translation>Geräteliste:</translation>
    </message>
    <message>
        <source>Device count: 0</source>
        <translation>Geräteanzahl: 0</translation>
    </message>
    <message>
        <source>0 个</source>
        <translation>0</translation>
    </message>
    <message>
        <source>Device list</source>
        <translation>Geräteliste</translation>
    </message>
    <message>
        <source>Device information:</source>
        <translation>Geräteinformationen:</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>Tips:</source>
        <translation>Hinweise:</translation>
    </message>
    <message>
        <source>1&gt; This tool is only used within LAN</source>
        <translation>1&gt; Dieses Werkzeug arbeitet nur im LAN,</translation>
    </message>
    <message>
        <source>pc and device is within the same subnet.</source>
        <translation>PC und Gerät müssen im selben Subnetz sein.</translation>
    </message>
    <message>
        <source>2&gt; Only the legit user can update  device informations.</source>
        <translation>2&gt; Nur berechtigte Benutzer können Geräteinformationen ändern.</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>Search(F3)</source>
        <translation>Suchen(F3)</translation>
    </message>
    <message>
        <source>Browse(F4)</source>
        <translation>Öffnen(F4)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Filter by name, MAC, IP or ID (Ctrl+F)</source>
        <translation>Nach Name, MAC, IP oder ID filtern (Strg+F)</translation>
    </message>
</context>
<context>
    <name>RestartProgress</name>
    <message>
        <source>Device restarting.....</source>
        <translation>Gerät startet neu.....</translation>
    </message>
    <message>
        <source>Restart progress</source>
        <translation>Neustartfortschritt</translation>
    </message>
</context>
<context>
    <name>Texts</name>
    <message>
        <source>&amp;About Quorvex...</source>
        <translation>Ü&amp;ber Quorvex...</translation>
    </message>
    <message>
        <source>Z6 series Search Tool(%1)</source>
        <translation>Suchwerkzeug der Z6-Serie (%1)</translation>
    </message>
    <message>
        <source>Z6 series Search Tool %1</source>
        <translation>Suchwerkzeug der Z6-Serie %1</translation>
    </message>
    <message>
        <source>No.</source>
        <translation>Nr.</translation>
    </message>
    <message>
        <source>DeviceName</source>
        <translation>Gerätename</translation>
    </message>
    <message>
        <source>MAC</source>
        <translation>MAC</translation>
    </message>
    <message>
        <source>Adapter</source>
        <translation>Adapter</translation>
    </message>
    <message>
        <source>%1 is outside %2&apos;s subnet %3: the browser cannot reach it until you change its address or the PC&apos;s</source>
        <translation>%1 liegt außerhalb des Subnetzes %3 von %2: Der Browser erreicht das Gerät erst, wenn Sie seine Adresse oder die des PCs ändern</translation>
    </message>
    <message>
        <source>%1 answered on %2, which has no IPv4 address: the browser cannot reach it until you give the PC an address in the device&apos;s subnet or change the device&apos;s</source>
        <translation>%1 hat über %2 geantwortet, das keine IPv4-Adresse hat: Der Browser erreicht das Gerät erst, wenn Sie dem PC eine Adresse im Subnetz des Geräts geben oder die Adresse des Geräts ändern</translation>
    </message>
    <message>
        <source>Searched on 1 adapter</source>
        <translation>Auf 1 Adapter gesucht</translation>
    </message>
    <message>
        <source>1 device</source>
        <translation>1 Gerät</translation>
    </message>
    <message numerus="yes">
        <source>%1 replies were lost: the receive buffer was full. Search again, or raise net.core.rmem_max</source>
        <extracomment>%1 is the number of replies; the plural form follows it.</extracomment>
        <translation>
            <numerusform>%1 Antwort ging verloren: Der Empfangspuffer war voll. Suchen Sie erneut oder erhöhen Sie net.core.rmem_max</numerusform>
            <numerusform>%1 Antworten gingen verloren: Der Empfangspuffer war voll. Suchen Sie erneut oder erhöhen Sie net.core.rmem_max</numerusform>
        </translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>Ask</source>
        <translation>Frage</translation>
    </message>
    <message>
        <source>Failed to initialize.</source>
        <translation>Initialisierung fehlgeschlagen.</translation>
    </message>
    <message>
        <source>Please select one device from list.</source>
        <translation>Bitte wählen Sie ein Gerät aus der Liste.</translation>
    </message>
    <message>
        <source>Are you sure to update the selected device?</source>
        <translation>Möchten Sie das ausgewählte Gerät wirklich aktualisieren?</translation>
    </message>
    <message>
        <source>Device information successfully updated!</source>
        <translation>Geräteinformationen erfolgreich aktualisiert!</translation>
    </message>
    <message>
        <source>The viewing account or password is wrong!</source>
        <translation>Zugangskonto oder Passwort ist falsch!</translation>
    </message>
    <message>
        <source>Can&apos;t use this http port.</source>
        <translation>Dieser HTTP-Port kann nicht verwendet werden.</translation>
    </message>
    <message>
        <source>No answer from the device. If it accepted the new settings it is restarting now; the list will be refreshed when the restart is over.</source>
        <translation>Keine Antwort vom Gerät. Falls es die neuen Einstellungen übernommen hat, startet es jetzt neu; die Liste wird nach dem Neustart aktualisiert.</translation>
    </message>
    <message>
        <source>The device reports no valid IP address.</source>
        <translation>Das Gerät meldet keine gültige IP-Adresse.</translation>
    </message>
    <message>
        <source>The request could not be sent: %1</source>
        <translation>Die Anfrage konnte nicht gesendet werden: %1</translation>
    </message>
    <message numerus="yes">
        <source>Searched on %n adapters</source>
        <translation>
            <numerusform>Auf %n Adapter gesucht</numerusform>
            <numerusform>Auf %n Adaptern gesucht</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n devices</source>
        <translation>
            <numerusform>%n Gerät</numerusform>
            <numerusform>%n Geräte</numerusform>
        </translation>
    </message>
    <message>
        <source>1 reply was lost: the receive buffer was full. Search again, or raise net.core.rmem_max</source>
        <translation>1 Antwort ging verloren: Der Empfangspuffer war voll. Suchen Sie erneut oder erhöhen Sie net.core.rmem_max</translation>
    </message>
    <message>
        <source>List full: 1 more reply was ignored</source>
        <translation>Liste voll: 1 weitere Antwort wurde ignoriert</translation>
    </message>
    <message numerus="yes">
        <source>List full: %1 more replies were ignored</source>
        <extracomment>%1 is the number of replies; the plural form follows it.</extracomment>
        <translation>
            <numerusform>Liste voll: %1 weitere Antwort wurde ignoriert</numerusform>
            <numerusform>Liste voll: %1 weitere Antworten wurden ignoriert</numerusform>
        </translation>
    </message>
    <message>
        <source>Device count: %1</source>
        <translation>Geräteanzahl: %1</translation>
    </message>
    <message>
        <source>IP</source>
        <translation>IP</translation>
    </message>
    <message>
        <source>HTTP port</source>
        <translation>HTTP-Port</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>Modus</translation>
    </message>
    <message>
        <source>WebVersion</source>
        <translation>Web-Version</translation>
    </message>
    <message>
        <source>AppVersion</source>
        <translation>App-Version</translation>
    </message>
    <message>
        <source>Device ID</source>
        <translation>Geräte-ID</translation>
    </message>
    <message>
        <source>static</source>
        <translation>statisch</translation>
    </message>
    <message>
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>%1 on %2 is also the address of %3: the browser may show another device until each has an address of its own</source>
        <extracomment>%1 is a device&apos;s address, %2 the PC&apos;s adapter, %3 the others, e.g. &quot;Cam 3 (02:00:00:00:00:03), this PC&quot;.</extracomment>
        <translation>%1 an %2 ist auch die Adresse von %3: Der Browser zeigt womöglich ein anderes Gerät, bis jedes eine eigene Adresse hat</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>this PC</source>
        <translation>diesem PC</translation>
    </message>
    <message>
        <source>Showing %1 of %2</source>
        <translation>%1 von %2 angezeigt</translation>
    </message>
    <message>
        <source>&amp;Save list...</source>
        <translation>Liste &amp;speichern...</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>Save list</source>
        <translation>Liste speichern</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>JSON files (*.json)</source>
        <translation>JSON-Dateien (*.json)</translation>
    </message>
    <message>
        <source>The list could not be saved to %1: %2</source>
        <translation>Die Liste konnte nicht unter %1 gespeichert werden: %2</translation>
    </message>
</context>
<context>
    <name>ondrel::AssignDialog</name>
    <message>
        <source>IP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New IP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Result</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type the first address and the subnet mask.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n device(s) planned; nothing is sent before you apply and confirm.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>Checking which addresses are in use on the LAN...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not check which addresses are in use: %1. Nothing was sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Send these addresses to %n device(s)?</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>Nothing was sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sending the new addresses, one device at a time...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The devices are restarting with their new addresses...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Searching to check every device...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancelled: the table shows what was done.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n device(s) verified.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>Cancelled: nothing was sent.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancelling after the device in flight...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The report could not be saved: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The report was saved to %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load plan</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Plan files (*.csv);;All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save report</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ondrel::IpAddressControl</name>
    <message>
        <source>octet %1</source>
        <translation>Oktett %1</translation>
    </message>
</context>
</TS>
