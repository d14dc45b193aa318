// The .3DS reader's working state and its chunk readers. Only the scene loader and its tests use this;
// everybody else gets a world from read3ds (scene.h).
#pragma once

#include "scene/scene.h"

#include <string>

// Capacities of the loader's tables.
constexpr int D3SMAXOBJECTS = 50;
constexpr int D3SMAXMATERIALS = 120;
constexpr int D3SMAXCAMS = 15;
constexpr int D3SMAXLIGHTS = 15; // entry 0 is never written: 14 lights per file
constexpr long D3SMAXFRAMES = 1L << 20;
// Camera frames the key tracks of one file may lay out in all: every track lays out the whole table, so a
// file of many tracks over a long table could keep the loader busy for minutes. 32 tracks over the longest
// table, about a tenth of a second; the show's scenes lay out a few thousand.
constexpr long D3SMAXFRAMEWRITES = 1L << 25;
constexpr int D3STEXTUREBYTES = 262144;

extern const unsigned char *D3SFile;
extern long D3SFileSize;
extern object *D3SObjects;
extern long D3SObjectCounter;
extern long D3SCurrentObject;
extern char *ObjectName;
extern d3point *TempVerts;
extern material MaterialPool[D3SMAXMATERIALS];
extern int NumMaterials;
extern camera cams[D3SMAXCAMS];
extern int numcams;
extern spot lights[D3SMAXLIGHTS];
extern int numlights;
extern long NumOfFrames;
extern long D3SFrameWrites; // camera frames laid out so far in this load
extern camera *campositions;
extern d3point *transmat[50];
extern float (*rotmat[50])[4][4];
extern char matname[80];
extern const char *tmapsdir[1];
extern const materialmaptype mappingtypes[4];
extern bool D3SLoadMaps; // false: texture maps are named but not read

// A malformed file: the readers throw this; read3dsimage turns it into its error message.
struct d3sfault {
    std::string what;
};
[[noreturn]] void d3sbad(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// A zero-filled block that lives as long as the scenes (freeloadedscenes releases it).
void *d3sblock(size_t bytes);
void d3sfreeblocks();

// Primitive readers over the file image; a read outside the image is a fault of the file.
unsigned ChunkID(long p);
unsigned ReadInt(long p);
unsigned long d3sChunkLength(long p);
unsigned long ReadLong(long p);
float ReadFloat(long p);
long LinSearchChunk(unsigned id, long p);

// The ID at p for a sub-chunk walk bounded by end: 0 (no ID any reader handles) when fewer than two bytes
// of the parent are left.
unsigned d3swalkid(long p, long end);
// End of the chunk at p, which must lie within parentend and be at least its header long.
long d3schunkend(long p, long parentend);
// Checks that n bytes from p lie within end (the chunk's end); what names the data in the message.
void d3sneed(long p, long n, long end, const char *what);

void ReadUnknownChunk(long *p, long parentend);
// Name readers: a new 50-byte block (or dest), the name cut to 49 characters. The name must end within end.
char *ReadObjectName(long *p, long end);
char *ReadName(long p, long end);
int ReadNameGivePtr(long p, char *dest, long end);
// Length of the zero-terminated name at p, which must end before end.
long d3snamelength(long p, long end);

// Mesh section readers (each takes the position of its chunk's header and leaves it at the chunk's end).
void ReadObjectChunk(long *p, long parentend);
void ReadObjectTriMesh(long *p, long parentend);
void ReadObjectVertexlist(long *p, long parentend, object *o);
void ReadObjectFacelist(long *p, long parentend, object *o);
void ReadObjectFaceMaterial(long *p, long parentend, object *o);
void ReadObjectMappingcoords(long *p, long parentend, object *o);
void ReadObjectTranslationmatrix(long *p, long parentend, object *o);
void ReadObjectLight(long *p, long parentend);
void ReadObjectCamera(long *p, long parentend);
void CalcFaceNormal(const object *o, int f, d3point *out);
// Settles the vertex order of face f (its indices hold the file's (c, b, a)).
void d3ssettleface(object *o, int f);

void ReadMaterialChunk(long *p, long parentend);
void ReadObjectTexturemapChunk(long *p, long parentend);
int GiveCorrectMapping(const char *name);
int CompMappingtypeToMatname(const char *prefix, const char *name);
// Changes the map name's extension to "jpg" (appends ".jpg" to a name without one).
std::string d3sjpgname(const char *name);
void ReadTexture(const char *name, uint32_t *dest);

// Keyframer readers.
void ReadNumberOfFramesChunk(long *p, long parentend);
void ReadObjectDescriptionChunk(long *p, long parentend);
void ReadCameraTrackChunk(long *p, long parentend);
void ReadCameraTargetTrackChunk(long *p, long parentend);
void ReadPoskeys(long *p, long parentend, int which);
void ReadRollkeys(long *p, long parentend);
void CalcPosTrack(const key *keys, int n, int which);
void CalcRollTrack(const key *keys, int n);
d3point GiveTangent(const key *keys, int n, int i, int which);
// Roll in degrees to 255 units per turn, rounded.
unsigned char d3sroll(float degrees);

void SearchScene();
