// Scene records and the 3D Studio reader: what a loaded scene looks like, and how to load one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct d3point {
    float x, y, z;
    float w; // written as 0 by the loader, never read
};

struct face {
    int count;         // number of vertex indices; always 3
    int index[3];      // vertex indices into points, in the settled order
    int normalindex;   // 2V + face number, set by initnormals
    uint32_t *texture; // 256 x 256 texels of the face's material, null without material
    int materialindex; // index into the world's materials, 0 without material
    int flags;         // file face flags, replaced by the material's maptype
};

struct object {
    int numfaces;
    int numverts;
    d3point *points;     // 2V + F: positions, vertex normals, face normals
    d3point *destpoints; // same size, rewritten every frame
    float *mapcoords;    // (u, v) pairs, one per entry of the file's mapping list; null when none
    int nummapcoords;    // number of pairs in mapcoords (padded up to numverts)
    float *vertexpairs;  // V zeroed pairs
    face *faces;
    float matrix[4][4];
    float meshmatrix[4][4];
    d3point translation;
    char *name; // 50-byte block
    d3point pivot;
};

struct material {
    char *name;        // 50-byte block
    int maptype;       // rasteriser selection bits
    uint32_t *texture; // 256 x 256 texels, null until a map was read into this pool entry
    char *mapname;     // 256-byte block, the map name as the file gives it
    float uscale;
    float vscale;
};

struct materialmaptype {
    const char *prefix;
    int maptype;
};

struct camera {
    d3point position;
    d3point target;
    unsigned char roll; // 256 units per turn
};

struct spot {
    d3point position;
    d3point direction; // view space, used by THESPOT
    d3point target;
    d3point colour; // per channel intensity, used by THESPOT
};

struct key {
    long frame;
    float tension;
    float continuity;
    float bias;
    float easeto;
    float easefrom;
    d3point value; // as in the file, y and z not exchanged
};

struct world {
    int numobjects;
    int numlights;
    int numcams;
    object *objects;
    spot *lights;
    long numframes;
    camera *campositions; // numframes + 10 entries
    d3point **transmat;
    float (**rotmat)[4][4];
    material *materials;
    int nummaterials;
};

// Maptype bits, tested by the renderer in the order 1, 256, 512, 2, 32.
enum : int {
    MAP_TMAP = 1,
    MAP_ENV = 2,
    MAP_TRANSENV = 32,
    MAP_GOUTXT = 256,
    MAP_TRANSTXT = 512,
};

// Loads a .3DS file (path as the show names it, translated by the path layer). A file that cannot be read
// or is malformed stops the program with one line on stderr naming the file and the fault (status 1); a
// missing texture map prints "Error loading tmap NAME" and ends with status 1.
world *read3ds(const char *path);
// The same, with the choice of reading texture maps: without them, map names are recorded (mapname) but no
// texture block is made or read.
world *read3ds(const char *path, bool loadmaps);
// Loads a file image from memory; name is used in messages. A malformed image gives null and sets *error
// to "NAME: what is wrong" instead of ending the program (a missing texture map still ends it).
world *read3dsimage(const unsigned char *data, size_t size, const char *name, std::string *error,
                    bool loadmaps = true);
// Releases every block that the loads so far made and clears the tables that carry over between loads,
// as before the first load. Every world loaded so far becomes invalid. For tools and tests that load many
// files in one process.
void freeloadedscenes();
