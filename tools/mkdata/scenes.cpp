#include "makers.h"
namespace mkdata {
bool writeintroscene(const std::string &, std::string &) {
    return true;
}
bool writemenuscene(const std::string &, std::string &) {
    return true;
}
} // namespace mkdata
