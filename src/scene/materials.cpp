// Material blocks: name and rasteriser bits, texture scales, and the texture map, decoded at once.
#include "scene/loader.h"

#include "image/image.h"
#include "platform/paths.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

material MaterialPool[D3SMAXMATERIALS];
int NumMaterials;
const char *tmapsdir[1] = {".\\gfx\\maps\\"};
const materialmaptype mappingtypes[4] = {
    {"GOUTXT", MAP_GOUTXT}, {"TRANSTXT", MAP_TRANSTXT}, {"ENV", MAP_ENV}, {"TRANSENV", MAP_TRANSENV}};
bool D3SLoadMaps = true;

int CompMappingtypeToMatname(const char *prefix, const char *name) {
    for (; *prefix; prefix++, name++)
        if (*prefix != *name) return 0;
    return 1;
}

int GiveCorrectMapping(const char *name) {
    for (const materialmaptype &m : mappingtypes)
        if (CompMappingtypeToMatname(m.prefix, name)) return m.maptype;
    return MAP_TMAP;
}

void ReadMaterialChunk(long *p, long parentend) {
    const long start = *p;
    const long end = d3schunkend(start, parentend);
    if (NumMaterials >= D3SMAXMATERIALS) d3sbad("more than %d materials", D3SMAXMATERIALS);
    material &m = MaterialPool[NumMaterials];
    m.uscale = 1.0f;
    m.vscale = 1.0f;
    long pos = start + 6;
    while (pos < end) {
        switch (d3swalkid(pos, end)) {
        case 0xA000: {
            const long nameend = d3schunkend(pos, end);
            m.name = ReadName(pos + 6, nameend);
            m.maptype |= GiveCorrectMapping(m.name);
            pos = nameend;
            break;
        }
        case 0xA200:
            ReadObjectTexturemapChunk(&pos, end);
            break;
        case 0xA010:
        case 0xA020:
        case 0xA030:
        case 0xA040:
        case 0xA050:
        case 0xA052:
        case 0xA053:
        case 0xA210:
        case 0xA240:
        case 0xA250:
            ReadUnknownChunk(&pos, end);
            break;
        default:
            pos += 2;
        }
    }
    NumMaterials += 1;
    *p = end;
}

namespace {
// Reads a scale sub-chunk into *scale and moves past it.
void readscale(long *pos, long end, float *scale) {
    const long e = d3schunkend(*pos, end);
    d3sneed(*pos + 6, 4, e, "texture scale");
    *scale = ReadFloat(*pos + 6);
    *pos = e;
}
} // namespace

void ReadObjectTexturemapChunk(long *p, long parentend) {
    const long start = *p;
    const long end = d3schunkend(start, parentend);
    material &m = MaterialPool[NumMaterials];
    // The walk starts on the block's own header, which is stepped over like unknown data.
    long namepos = -1, nameend = -1;
    long pos = start;
    while (pos < end) {
        switch (d3swalkid(pos, end)) {
        case 0xA354:
            readscale(&pos, end, &m.uscale);
            break;
        case 0xA356:
            readscale(&pos, end, &m.vscale);
            break;
        case 0xA300: {
            const long e = d3schunkend(pos, end);
            if (namepos < 0) {
                namepos = pos + 6;
                nameend = e;
            }
            long q = pos + 6;
            while (q < e) {
                switch (d3swalkid(q, e)) {
                case 0xA354:
                    readscale(&q, e, &m.uscale);
                    break;
                case 0xA356:
                    readscale(&q, e, &m.vscale);
                    break;
                default:
                    q += 2;
                }
            }
            pos = e;
            break;
        }
        default:
            pos += 2;
        }
    }
    // The map name comes from the name chunk where the walk found it (in 3D Studio's own layout, behind the
    // percentage sub-chunk); a block without one names no map.
    if (namepos >= 0) {
        char *name = ReadName(namepos, nameend);
        m.mapname = static_cast<char *>(d3sblock(256));
        std::memcpy(m.mapname, name, std::strlen(name));
        if (D3SLoadMaps) {
            m.texture = static_cast<uint32_t *>(d3sblock(D3STEXTUREBYTES));
            ReadTexture(name, m.texture);
        }
    }
    *p = end;
}

std::string d3sjpgname(const char *name) {
    std::string s(name);
    const size_t dot = s.find('.');
    if (dot == std::string::npos) return s + ".jpg";
    // The three characters after the dot become "jpg"; a shorter extension is overwritten.
    std::string out = s.substr(0, dot + 1) + "jpg";
    if (s.size() > dot + 4) out += s.substr(dot + 4);
    return out;
}

void ReadTexture(const char *name, uint32_t *dest) {
    const std::string jpg = d3sjpgname(name);
    std::string filename;
    std::FILE *f = nullptr;
    for (const char *dir : tmapsdir) {
        if (f) break;
        filename = std::string(dir) + jpg;
        f = openshowfile(filename.c_str(), "rb");
    }
    if (!f) {
        std::printf("Error loading tmap %s\n", jpg.c_str());
        std::fflush(stdout);
        std::exit(1);
    }
    std::fclose(f);
    readjpg(translatepath(filename.c_str()).c_str(), reinterpret_cast<unsigned char *>(dest),
            D3STEXTUREBYTES);
}
