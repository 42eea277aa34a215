// Converts a KML file to GeoJSON with togeojson and checks that the style of every feature
// that refers to one was found: its resolved properties include PROPERTY ("stroke" for lines,
// "icon" for points).
//   node togeojson-styles.cjs NODE_MODULES KML PROPERTY
const fs = require("node:fs");
const path = require("node:path");
const [modules, file, property] = process.argv.slice(2);
const { DOMParser } = require(path.join(modules, "@xmldom/xmldom"));
const { kml } = require(path.join(modules, "@tmcw/togeojson"));

const document = new DOMParser().parseFromString(fs.readFileSync(file, "utf8"), "text/xml");
const features = kml(document).features;
const unresolved = features.filter((f) => f.properties.styleUrl && !(property in f.properties));
const styles = new Set(features.map((f) => f.properties.styleUrl));
console.log(`${features.length} features, ${styles.size} styles, ${unresolved.length} unresolved`);
for (const feature of unresolved.slice(0, 5)) {
    console.log(`unresolved: ${feature.properties.name} ${feature.properties.styleUrl}`);
}
process.exit(features.length > 0 && unresolved.length === 0 ? 0 : 1);
