// Reads one camera's network settings through the npm "onvif" package and prints them as one
// JSON line: {"interfaces", "gateway"} as the package returns them, or {"error"}. Run it inside
// scripts/netlab only, against a simulated camera.
'use strict';

const { Cam } = require('onvif');

const [hostname, username, password] = process.argv.slice(2);

function done(result) {
  console.log(JSON.stringify(result));
  process.exit(result.error ? 1 : 0);
}

const cam = new Cam({ hostname, username, password, timeout: 5000 }, (connectError) => {
  // A camera that streams nothing leaves the media part of connecting unfinished; the device
  // service is what is read here.
  cam.getNetworkInterfaces((error, interfaces) => {
    if (error) {
      done({ error: String(error), connect: connectError ? String(connectError) : null });
      return;
    }
    cam.getNetworkDefaultGateway((gatewayError, gateway) => {
      done(gatewayError ? { error: String(gatewayError) } : { interfaces, gateway });
    });
  });
});
