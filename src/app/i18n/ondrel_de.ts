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
        <translation>Adressen vergeben</translation>
    </message>
    <message>
        <source>New addresses</source>
        <translation>Neue Adressen</translation>
    </message>
    <message>
        <source>&amp;First address:</source>
        <translation>&amp;Erste Adresse:</translation>
    </message>
    <message>
        <source>First address</source>
        <translation>Erste Adresse</translation>
    </message>
    <message>
        <source>Subnet &amp;mask:</source>
        <translation>Subnetz&amp;maske:</translation>
    </message>
    <message>
        <source>Subnet mask</source>
        <translation>Subnetzmaske</translation>
    </message>
    <message>
        <source>&amp;Gateway:</source>
        <translation>&amp;Gateway:</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>each device keeps its own</source>
        <translation>jedes Gerät behält seinen eigenen Wert</translation>
    </message>
    <message>
        <source>&amp;DNS:</source>
        <translation>&amp;DNS:</translation>
    </message>
    <message>
        <source>DNS</source>
        <translation>DNS</translation>
    </message>
    <message>
        <source>HTTP &amp;port:</source>
        <translation>HTTP-&amp;Port:</translation>
    </message>
    <message>
        <source>HTTP port</source>
        <translation>HTTP-Port</translation>
    </message>
    <message>
        <source>&amp;Load plan...</source>
        <translation>Plan &amp;laden...</translation>
    </message>
    <message>
        <source>Load plan...</source>
        <translation>Plan laden...</translation>
    </message>
    <message>
        <source>Account of the devices</source>
        <translation>Konto der Geräte</translation>
    </message>
    <message>
        <source>&amp;Account:</source>
        <translation>&amp;Konto:</translation>
    </message>
    <message>
        <source>Viewing Account</source>
        <translation>Zugangskonto</translation>
    </message>
    <message>
        <source>Pass&amp;word:</source>
        <translation>Pass&amp;wort:</translation>
    </message>
    <message>
        <source>Viewing Password</source>
        <translation>Zugangspasswort</translation>
    </message>
    <message>
        <source>Devices and their new addresses</source>
        <translation>Geräte und ihre neuen Adressen</translation>
    </message>
    <message>
        <source>Addresses passed over:</source>
        <translation>Übersprungene Adressen:</translation>
    </message>
    <message>
        <source>Addresses passed over</source>
        <translation>Übersprungene Adressen</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Meldung</translation>
    </message>
    <message>
        <source>&amp;Save report...</source>
        <translation>Bericht &amp;speichern...</translation>
    </message>
    <message>
        <source>&amp;Apply</source>
        <translation>&amp;Anwenden</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>Abbre&amp;chen</translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation>Sch&amp;ließen</translation>
    </message>
    <message>
        <source>Save report...</source>
        <translation>Bericht speichern...</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Anwenden</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>AssignTexts</name>
    <message>
        <source>Line %1: </source>
        <translation>Zeile %1: </translation>
    </message>
    <message>
        <source>Device %1: </source>
        <translation>Gerät %1: </translation>
    </message>
    <message>
        <source> (as an earlier row)</source>
        <translation> (wie eine frühere Zeile)</translation>
    </message>
    <message>
        <source> (as device %1)</source>
        <translation> (wie Gerät %1)</translation>
    </message>
    <message>
        <source>No devices were chosen.</source>
        <translation>Es wurden keine Geräte ausgewählt.</translation>
    </message>
    <message>
        <source>The first address is not a usable IPv4 address.</source>
        <translation>Die erste Adresse ist keine verwendbare IPv4-Adresse.</translation>
    </message>
    <message>
        <source>The subnet mask is not a mask.</source>
        <translation>Die Subnetzmaske ist keine gültige Maske.</translation>
    </message>
    <message>
        <source>The subnet mask leaves no address for a device.</source>
        <translation>Die Subnetzmaske lässt keine Adresse für ein Gerät übrig.</translation>
    </message>
    <message>
        <source>The address is the subnet&apos;s network or broadcast address.</source>
        <translation>Die Adresse ist die Netz- oder Broadcast-Adresse des Subnetzes.</translation>
    </message>
    <message>
        <source>The gateway is not an address in the subnet.</source>
        <translation>Das Gateway ist keine Adresse im Subnetz.</translation>
    </message>
    <message>
        <source>The DNS server is not a usable IPv4 address.</source>
        <translation>Der DNS-Server ist keine verwendbare IPv4-Adresse.</translation>
    </message>
    <message>
        <source>The HTTP port 10000 cannot be used.</source>
        <translation>Der HTTP-Port 10000 kann nicht verwendet werden.</translation>
    </message>
    <message>
        <source>The HTTP port is not 1..65535.</source>
        <translation>Der HTTP-Port liegt nicht zwischen 1 und 65535.</translation>
    </message>
    <message>
        <source>The subnet has no free address left for it.</source>
        <translation>Im Subnetz ist keine freie Adresse mehr für das Gerät übrig.</translation>
    </message>
    <message>
        <source>The device reports no device ID, so no request can name it.</source>
        <translation>Das Gerät meldet keine Geräte-ID, daher kann keine Anfrage es benennen.</translation>
    </message>
    <message>
        <source>Another chosen device has the same device ID%1.</source>
        <translation>Ein anderes ausgewähltes Gerät hat dieselbe Geräte-ID%1.</translation>
    </message>
    <message>
        <source>The device is chosen twice%1.</source>
        <translation>Das Gerät ist zweimal ausgewählt%1.</translation>
    </message>
    <message>
        <source>No device with this MAC answered the search.</source>
        <translation>Kein Gerät mit dieser MAC hat auf die Suche geantwortet.</translation>
    </message>
    <message>
        <source>Not a MAC address.</source>
        <translation>Keine MAC-Adresse.</translation>
    </message>
    <message>
        <source>The address is given twice%1.</source>
        <translation>Die Adresse ist zweimal vergeben%1.</translation>
    </message>
    <message>
        <source>%1: reported by %2</source>
        <translation>%1: gemeldet von %2</translation>
    </message>
    <message>
        <source>%1: this PC&apos;s address</source>
        <translation>%1: Adresse dieses PCs</translation>
    </message>
    <message>
        <source>%1: this PC&apos;s address on %2</source>
        <translation>%1: Adresse dieses PCs auf %2</translation>
    </message>
    <message>
        <source>%1: the gateway</source>
        <translation>%1: das Gateway</translation>
    </message>
    <message>
        <source>%1: the gateway of %2</source>
        <translation>%1: das Gateway von %2</translation>
    </message>
    <message>
        <source>%1: in use on the LAN</source>
        <translation>%1: im LAN belegt</translation>
    </message>
    <message>
        <source>%1: in use on the LAN by %2</source>
        <translation>%1: im LAN belegt von %2</translation>
    </message>
    <message>
        <source>%1: taken</source>
        <translation>%1: belegt</translation>
    </message>
    <message>
        <source>free</source>
        <translation>frei</translation>
    </message>
    <message>
        <source>not checked (outside the adapter&apos;s subnet)</source>
        <translation>nicht geprüft (außerhalb des Subnetzes des Adapters)</translation>
    </message>
    <message>
        <source>not checked (the check failed)</source>
        <translation>nicht geprüft (die Prüfung schlug fehl)</translation>
    </message>
    <message>
        <source>planned</source>
        <translation>geplant</translation>
    </message>
    <message>
        <source>sending</source>
        <translation>wird gesendet</translation>
    </message>
    <message>
        <source>accepted</source>
        <translation>angenommen</translation>
    </message>
    <message>
        <source>refused</source>
        <translation>abgelehnt</translation>
    </message>
    <message>
        <source>no answer</source>
        <translation>keine Antwort</translation>
    </message>
    <message>
        <source>late</source>
        <translation>verspätet</translation>
    </message>
    <message>
        <source>not sent</source>
        <translation>nicht gesendet</translation>
    </message>
    <message>
        <source>verified</source>
        <translation>bestätigt</translation>
    </message>
    <message>
        <source>not verified</source>
        <translation>nicht bestätigt</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>fehlt</translation>
    </message>
    <message>
        <source>The plan file cannot be read.</source>
        <translation>Die Plandatei kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The plan file is too large.</source>
        <translation>Die Plandatei ist zu groß.</translation>
    </message>
    <message>
        <source>The plan file has no header row.</source>
        <translation>Die Plandatei hat keine Kopfzeile.</translation>
    </message>
    <message>
        <source>The line is too long.</source>
        <translation>Die Zeile ist zu lang.</translation>
    </message>
    <message>
        <source>The plan file has too many rows.</source>
        <translation>Die Plandatei hat zu viele Zeilen.</translation>
    </message>
    <message>
        <source>The line holds a control character.</source>
        <translation>Die Zeile enthält ein Steuerzeichen.</translation>
    </message>
    <message>
        <source>A quote is not closed, or text follows a closing quote.</source>
        <translation>Ein Anführungszeichen ist nicht geschlossen, oder auf ein schließendes folgt Text.</translation>
    </message>
    <message>
        <source>The header names the column %1 twice.</source>
        <translation>Die Kopfzeile nennt die Spalte %1 zweimal.</translation>
    </message>
    <message>
        <source>The header has no column %1.</source>
        <translation>Die Kopfzeile hat keine Spalte %1.</translation>
    </message>
    <message>
        <source>The row has %1 fields, the header %2.</source>
        <translation>Die Zeile hat %1 Felder, die Kopfzeile %2.</translation>
    </message>
    <message>
        <source>The row has no value for %1.</source>
        <translation>Die Zeile hat keinen Wert für %1.</translation>
    </message>
    <message>
        <source>The plan file cannot be used.</source>
        <translation>Die Plandatei kann nicht verwendet werden.</translation>
    </message>
    <message>
        <source>The address is not a usable IPv4 address.</source>
        <translation>Die Adresse ist keine verwendbare IPv4-Adresse.</translation>
    </message>
    <message numerus="yes">
        <source> (so are those of %1 and %n more)</source>
        <translation>
            <numerusform> (ebenso die von %1 und %n weiteren Gerät)</numerusform>
            <numerusform> (ebenso die von %1 und %n weiteren Geräten)</numerusform>
        </translation>
    </message>
    <message>
        <source> (so are those of %1)</source>
        <translation> (ebenso die von %1)</translation>
    </message>
    <message>
        <source>Its own gateway %1 is outside the row&apos;s subnet%2. Give the row a GateWay (0.0.0.0 for none).</source>
        <translation>Sein eigenes Gateway %1 liegt außerhalb des Subnetzes der Zeile%2. Geben Sie der Zeile ein GateWay (0.0.0.0 für keines).</translation>
    </message>
    <message>
        <source>Its own gateway %1 is outside the new subnet%2. Type a gateway (0.0.0.0 for none).</source>
        <translation>Sein eigenes Gateway %1 liegt außerhalb des neuen Subnetzes%2. Geben Sie ein Gateway ein (0.0.0.0 für keines).</translation>
    </message>
    <message>
        <source>kept: the device&apos;s own address</source>
        <translation>beibehalten: die eigene Adresse des Geräts</translation>
    </message>
    <message>
        <source>unchanged</source>
        <translation>unverändert</translation>
    </message>
    <message>
        <source>No camera with this endpoint reference answered the search.</source>
        <translation>Keine Kamera mit dieser Endpunktreferenz hat auf die Suche geantwortet.</translation>
    </message>
    <message>
        <source>The camera gave no ONVIF device service to change it through.</source>
        <translation>Die Kamera hat keinen ONVIF-Gerätedienst genannt, über den sie geändert werden kann.</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>fehlgeschlagen</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <extracomment>%1 says why in English words from the camera or the plan, e.g. &quot;no answer within 10000 ms&quot;.</extracomment>
        <translation>fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>not verified: %1</source>
        <extracomment>%1 says what the camera read back otherwise, e.g. &quot;gateway 10.1.0.1 reads 0.0.0.0&quot;.</extracomment>
        <translation>nicht bestätigt: %1</translation>
    </message>
</context>
<context>
    <name>DetailsAccountDialog</name>
    <message>
        <source>Read details</source>
        <translation>Details lesen</translation>
    </message>
    <message>
        <source>The cameras are asked with this account. Leave it empty to read only what cameras tell anyone (their clock and host name).</source>
        <translation>Die Kameras werden mit diesem Konto gefragt. Leer gelassen wird nur gelesen, was Kameras jedem sagen (ihre Uhr und ihr Hostname).</translation>
    </message>
    <message>
        <source>&amp;Account:</source>
        <translation>&amp;Konto:</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Konto</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>&amp;Passwort:</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
</context>
<context>
    <name>DetailsTexts</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <extracomment>Hours and minutes of a clock offset, e.g. &quot;2 h 05 min&quot;.</extracomment>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>in step</source>
        <translation>synchron</translation>
    </message>
    <message>
        <source>The camera&apos;s clock is %1 ahead of this PC</source>
        <extracomment>%1 is how far the camera&apos;s clock is off, e.g. &quot;2 h 05 min&quot;.</extracomment>
        <translation>Die Uhr der Kamera geht gegenüber diesem PC %1 vor</translation>
    </message>
    <message>
        <source>The camera&apos;s clock is %1 behind this PC</source>
        <translation>Die Uhr der Kamera geht gegenüber diesem PC %1 nach</translation>
    </message>
    <message>
        <source>Reading details: %1 of %2 cameras</source>
        <translation>Details werden gelesen: %1 von %2 Kameras</translation>
    </message>
    <message>
        <source>Details read from %1 of %2 cameras</source>
        <extracomment>%1 cameras of %2 answered with their details.</extracomment>
        <translation>Details von %1 von %2 Kameras gelesen</translation>
    </message>
    <message>
        <source>the account was refused by 3 cameras in a row; the others were not asked</source>
        <translation>das Konto wurde von 3 Kameras nacheinander abgelehnt; die übrigen wurden nicht gefragt</translation>
    </message>
    <message>
        <source>every camera asked refused the account</source>
        <translation>jede gefragte Kamera hat das Konto abgelehnt</translation>
    </message>
    <message>
        <source>%1 refused the account</source>
        <translation>%1 haben das Konto abgelehnt</translation>
    </message>
    <message>
        <source>cancelled: %1 were not asked</source>
        <translation>abgebrochen: %1 wurden nicht gefragt</translation>
    </message>
    <message>
        <source>without an account only the clock and the host name</source>
        <translation>ohne Konto nur Uhr und Hostname</translation>
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
    <message>
        <source>Assign addresses...</source>
        <translation>Adressen vergeben...</translation>
    </message>
    <message>
        <source>Read details</source>
        <translation>Details lesen</translation>
    </message>
    <message>
        <source>Reads every camera&apos;s maker, model, firmware, serial, clock and time servers (Ctrl+D)</source>
        <translation>Liest Hersteller, Modell, Firmware, Seriennummer, Uhr und Zeitserver jeder Kamera (Strg+D)</translation>
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
        <source>Our own protocol sends the account and password in clear text to every device on the LAN. A device that also speaks ONVIF is changed with the password protected (HTTP digest) by: ondrel-cli set --protocol onvif</source>
        <translation>Unser eigenes Protokoll sendet das Konto und das Passwort im Klartext an jedes Gerät im LAN. Ein Gerät, das auch ONVIF spricht, wird mit geschütztem Passwort (HTTP-Digest) geändert durch: ondrel-cli set --protocol onvif</translation>
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
        <source>The camera refused the account: wrong password, or an account without the right to change settings.</source>
        <translation>Die Kamera hat das Konto abgelehnt: falsches Passwort oder ein Konto ohne das Recht, Einstellungen zu ändern.</translation>
    </message>
    <message>
        <source>%1 cannot be a device&apos;s address.</source>
        <translation>%1 kann nicht die Adresse eines Geräts sein.</translation>
    </message>
    <message>
        <source>%1 is not a subnet mask.</source>
        <translation>%1 ist keine Subnetzmaske.</translation>
    </message>
    <message>
        <source>%1 is the network address of its subnet /%2.</source>
        <extracomment>%2 is the mask&apos;s prefix length, e.g. 24.</extracomment>
        <translation>%1 ist die Netzadresse seines Subnetzes /%2.</translation>
    </message>
    <message>
        <source>%1 is the broadcast address of its subnet /%2.</source>
        <extracomment>%2 is the mask&apos;s prefix length, e.g. 24.</extracomment>
        <translation>%1 ist die Broadcast-Adresse seines Subnetzes /%2.</translation>
    </message>
    <message>
        <source>The gateway %1 is not in the subnet of %2/%3.</source>
        <extracomment>%2/%3 is the device&apos;s new address and the mask&apos;s prefix length, e.g. 10.0.0.5/24.</extracomment>
        <translation>Das Gateway %1 liegt nicht im Subnetz von %2/%3.</translation>
    </message>
    <message>
        <source>The gateway %1 is the device&apos;s own address.</source>
        <translation>Das Gateway %1 ist die eigene Adresse des Geräts.</translation>
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
        <source>Claimed by %1 and %2: either may not be this camera. Nothing is sent to it until a search in which one of them alone answers.</source>
        <extracomment>%1 and %2 are the addresses of hosts that both claim to be this camera, e.g. &quot;10.0.0.5&quot; and &quot;10.0.0.66&quot;; %1 may name several, comma-separated.</extracomment>
        <translation>Beansprucht von %1 und %2: Einer von ihnen ist womöglich nicht diese Kamera. Es wird nichts an sie gesendet, bis bei einer Suche nur einer von ihnen antwortet.</translation>
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
    <message>
        <source>1 more device</source>
        <translation>1 weiteres Gerät</translation>
    </message>
    <message numerus="yes">
        <source>%1 more devices</source>
        <extracomment>%1 is the number of devices; the plural form follows it.</extracomment>
        <translation>
            <numerusform>%1 weiteres Gerät</numerusform>
            <numerusform>%1 weitere Geräte</numerusform>
        </translation>
    </message>
    <message>
        <source>Quillnet</source>
        <translation>Quillnet</translation>
    </message>
    <message>
        <source>Port 3702 is in use: cameras that announce themselves are not shown</source>
        <translation>Port 3702 ist belegt: Kameras, die sich selbst ankündigen, werden nicht angezeigt</translation>
    </message>
    <message>
        <source>Left at %1</source>
        <extracomment>The tooltip of a camera that said it was leaving; %1 is the time, e.g. 14:05:09.</extracomment>
        <translation>Abgemeldet um %1</translation>
    </message>
    <message>
        <source>native</source>
        <translation>nativ</translation>
    </message>
    <message>
        <source>ONVIF</source>
        <translation>ONVIF</translation>
    </message>
    <message>
        <source>native + ONVIF</source>
        <translation>nativ + ONVIF</translation>
    </message>
    <message>
        <source>Protocol</source>
        <translation>Protokoll</translation>
    </message>
    <message>
        <source>Hardware</source>
        <translation>Hardware</translation>
    </message>
    <message>
        <source>Location</source>
        <translation>Standort</translation>
    </message>
    <message>
        <source>Service URL</source>
        <translation>Dienst-URL</translation>
    </message>
    <message>
        <source>Endpoint</source>
        <translation>Endpunkt</translation>
    </message>
    <message>
        <source>Manufacturer</source>
        <translation>Hersteller</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>Seriennummer</translation>
    </message>
    <message>
        <source>Hostname</source>
        <translation>Hostname</translation>
    </message>
    <message>
        <source>Clock</source>
        <translation>Uhr</translation>
    </message>
    <message>
        <source>Time servers</source>
        <translation>Zeitserver</translation>
    </message>
    <message>
        <source>The camera has these settings already: nothing was changed.</source>
        <translation>Die Kamera hat diese Einstellungen bereits: Es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>The camera was not updated: failed: %1</source>
        <extracomment>%1 says why in English words from the camera&apos;s answer, e.g. &quot;no answer within 10000 ms&quot;.</extracomment>
        <translation>Die Kamera wurde nicht aktualisiert: fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>The camera was not updated: it shares its address with 1 other: connect it alone.</source>
        <translation>Die Kamera wurde nicht aktualisiert: Sie teilt ihre Adresse mit einem anderen Gerät: Schließen Sie sie allein an.</translation>
    </message>
    <message numerus="yes">
        <source>The camera was not updated: it shares its address with %n others: connect it alone.</source>
        <translation>
            <numerusform>Die Kamera wurde nicht aktualisiert: Sie teilt ihre Adresse mit %n anderen Gerät: Schließen Sie sie allein an.</numerusform>
            <numerusform>Die Kamera wurde nicht aktualisiert: Sie teilt ihre Adresse mit %n anderen Geräten: Schließen Sie sie allein an.</numerusform>
        </translation>
    </message>
    <message>
        <source>The camera answers at its new address and reports the settings sent.</source>
        <translation>Die Kamera antwortet unter ihrer neuen Adresse und meldet die gesendeten Einstellungen.</translation>
    </message>
    <message>
        <source>The camera answers at its new address but does not report the settings sent: %1</source>
        <extracomment>%1 says what differs in English words, e.g. &quot;gateway 10.1.0.1 reads 0.0.0.0&quot;.</extracomment>
        <translation>Die Kamera antwortet unter ihrer neuen Adresse, meldet aber nicht die gesendeten Einstellungen: %1</translation>
    </message>
    <message>
        <source>The camera did not answer at its new address after its restart.</source>
        <translation>Die Kamera hat nach ihrem Neustart unter ihrer neuen Adresse nicht geantwortet.</translation>
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
        <translation>Neue IP</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Ergebnis</translation>
    </message>
    <message>
        <source>Type the first address and the subnet mask.</source>
        <translation>Geben Sie die erste Adresse und die Subnetzmaske ein.</translation>
    </message>
    <message>
        <source>Checking which addresses are in use on the LAN...</source>
        <translation>Es wird geprüft, welche Adressen im LAN belegt sind...</translation>
    </message>
    <message>
        <source>Could not check which addresses are in use: %1. Nothing was sent.</source>
        <translation>Es konnte nicht geprüft werden, welche Adressen belegt sind: %1. Es wurde nichts gesendet.</translation>
    </message>
    <message>
        <source>Nothing was sent.</source>
        <translation>Es wurde nichts gesendet.</translation>
    </message>
    <message>
        <source>Sending the new addresses, one device at a time...</source>
        <translation>Die neuen Adressen werden gesendet, ein Gerät nach dem anderen...</translation>
    </message>
    <message>
        <source>The devices are restarting with their new addresses...</source>
        <translation>Die Geräte starten mit ihren neuen Adressen neu...</translation>
    </message>
    <message>
        <source>Searching to check every device...</source>
        <translation>Es wird gesucht, um jedes Gerät zu prüfen...</translation>
    </message>
    <message>
        <source>Cancelled: the table shows what was done.</source>
        <translation>Abgebrochen: Die Tabelle zeigt, was erledigt wurde.</translation>
    </message>
    <message>
        <source>Cancelled: nothing was sent.</source>
        <translation>Abgebrochen: Es wurde nichts gesendet.</translation>
    </message>
    <message>
        <source>Cancelling after the device in flight...</source>
        <translation>Wird nach dem gerade gesendeten Gerät abgebrochen...</translation>
    </message>
    <message>
        <source>The report could not be saved: %1</source>
        <translation>Der Bericht konnte nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>The report was saved to %1.</source>
        <translation>Der Bericht wurde in %1 gespeichert.</translation>
    </message>
    <message>
        <source>Load plan</source>
        <translation>Plan laden</translation>
    </message>
    <message>
        <source>Plan files (*.csv);;All files (*)</source>
        <translation>Plandateien (*.csv);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Save report</source>
        <translation>Bericht speichern</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>Wait until the update in progress is over, then assign the addresses.</source>
        <translation>Warten Sie, bis die laufende Aktualisierung beendet ist, und vergeben Sie dann die Adressen.</translation>
    </message>
    <message>
        <source>1 device planned; nothing is sent before you apply and confirm.</source>
        <translation>1 Gerät geplant; nichts wird gesendet, bevor Sie anwenden und bestätigen.</translation>
    </message>
    <message numerus="yes">
        <source>%n devices planned; nothing is sent before you apply and confirm.</source>
        <translation>
            <numerusform>%n Gerät geplant; nichts wird gesendet, bevor Sie anwenden und bestätigen.</numerusform>
            <numerusform>%n Geräte geplant; nichts wird gesendet, bevor Sie anwenden und bestätigen.</numerusform>
        </translation>
    </message>
    <message>
        <source>Send this address to 1 device?</source>
        <translation>Diese Adresse an 1 Gerät senden?</translation>
    </message>
    <message numerus="yes">
        <source>Send these addresses to %n devices?</source>
        <translation>
            <numerusform>Diese Adresse an %n Gerät senden?</numerusform>
            <numerusform>Diese Adressen an %n Geräte senden?</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 of 1 device verified.</source>
        <translation>%1 von 1 Gerät bestätigt.</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n devices verified.</source>
        <translation>
            <numerusform>%1 von %n Gerät bestätigt.</numerusform>
            <numerusform>%1 von %n Geräten bestätigt.</numerusform>
        </translation>
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
