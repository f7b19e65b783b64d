#include "engine/LineList.h"

#include "engine/FileIo.h"

namespace norvane {

LineList LoadLineList(const std::string& path)
{
    LineList lines;
    LineReader reader(path);
    std::string_view line;
    while (reader.Next(line))
        lines.emplace_back(line);
    return lines;
}

void SaveLineList(const std::string& path, const LineList& lines)
{
    AtomicFileWriter writer(path);
    for (const std::string& line : lines)
        writer.WriteLine(line);
    writer.Commit();
}

}  // namespace norvane
