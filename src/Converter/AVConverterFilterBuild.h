#pragma once
// Creating, configuring and linking filters of a graph with option values set
// one by one (av_opt_set), so that no value is ever read as filter syntax.
// Worker thread, on a graph that the calling thread owns. Failures are
// written to the library log and reported as nullptr / false.
#include <string>
#include <utility>
#include <vector>

extern "C" {
#include <libavfilter/avfilter.h>
}

using TFilterOptionList = std::vector<std::pair<std::string, std::string>>;

// Creates Filter (a libavfilter filter name) as Instance in Graph, sets the
// options and initialises it; on failure the half-made filter is removed.
AVFilterContext* CreateFilter(AVFilterGraph* Graph, const char* Filter, const std::string& Instance,
                              const TFilterOptionList& Options);

// Creates a filter from an argument text that the system itself formatted
// (numbers only, such as "640:360:flags=0x4").
AVFilterContext* CreateFilterWithArgs(AVFilterGraph* Graph, const char* Filter,
                                      const std::string& Instance, const std::string& Args);

// Links output pad SrcPad of Src to input pad DstPad of Dst.
bool LinkFilters(AVFilterContext* Src, unsigned SrcPad, AVFilterContext* Dst, unsigned DstPad);

// "Error text" of a library error code.
std::string AVErrorText(int Code);
