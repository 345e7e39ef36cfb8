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
</context>
<context>
    <name>ondrel::IpAddressControl</name>
    <message>
        <source>octet %1</source>
        <translation>Oktett %1</translation>
    </message>
</context>
</TS>
