#include "collection.hpp"

#include <string>

#include "file_names.hpp"

namespace cellplot {

void write_collection_head(OutFile& pvd)
{
    pvd.put("<?xml version=\"1.0\"?>\n"
            "<VTKFile type=\"Collection\" version=\"0.1\">\n"
            "  <Collection>\n");
}

void write_collection_entry(OutFile& pvd, std::int32_t outnum)
{
    pvd.put("    <DataSet timestep=\"" + std::to_string(outnum) +
            "\" group=\"\" part=\"0\" file=\"" + master_file_name(outnum) + "\"/>\n");
}

void write_collection_tail(OutFile& pvd)
{
    pvd.put("  </Collection>\n"
            "</VTKFile>\n");
}

}  // namespace cellplot
