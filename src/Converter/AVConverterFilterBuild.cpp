#include "Converter/AVConverterFilterBuild.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

std::string AVErrorText(int Code) {
  char buf[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(Code, buf, sizeof buf);
  return buf;
}

namespace {

AVFilterContext* Allocate(AVFilterGraph* Graph, const char* Filter, const std::string& Instance) {
  const AVFilter* f = avfilter_get_by_name(Filter);
  if (!f) {
    av_log(nullptr, AV_LOG_ERROR, "No such filter: '%s'\n", Filter);
    return nullptr;
  }
  AVFilterContext* ctx = avfilter_graph_alloc_filter(Graph, f, Instance.c_str());
  if (!ctx) av_log(nullptr, AV_LOG_ERROR, "Can not create the filter %s\n", Instance.c_str());
  return ctx;
}

AVFilterContext* Initialise(AVFilterContext* Ctx, const char* Args) {
  int r = avfilter_init_str(Ctx, Args);
  if (r < 0) {
    av_log(nullptr, AV_LOG_ERROR, "Can not initialise the filter %s: %s\n", Ctx->name,
           AVErrorText(r).c_str());
    avfilter_free(Ctx);
    return nullptr;
  }
  return Ctx;
}

}  // namespace

AVFilterContext* CreateFilter(AVFilterGraph* Graph, const char* Filter, const std::string& Instance,
                              const TFilterOptionList& Options) {
  AVFilterContext* ctx = Allocate(Graph, Filter, Instance);
  if (!ctx) return nullptr;
  for (const auto& [name, value] : Options) {
    int r = av_opt_set(ctx, name.c_str(), value.c_str(), AV_OPT_SEARCH_CHILDREN);
    if (r < 0) {
      av_log(nullptr, AV_LOG_ERROR, "Invalid option %s of the filter %s: %s\n", name.c_str(),
             Instance.c_str(), AVErrorText(r).c_str());
      avfilter_free(ctx);
      return nullptr;
    }
  }
  return Initialise(ctx, nullptr);
}

AVFilterContext* CreateFilterWithArgs(AVFilterGraph* Graph, const char* Filter,
                                      const std::string& Instance, const std::string& Args) {
  AVFilterContext* ctx = Allocate(Graph, Filter, Instance);
  return ctx ? Initialise(ctx, Args.c_str()) : nullptr;
}

bool LinkFilters(AVFilterContext* Src, unsigned SrcPad, AVFilterContext* Dst, unsigned DstPad) {
  int r = avfilter_link(Src, SrcPad, Dst, DstPad);
  if (r < 0)
    av_log(nullptr, AV_LOG_ERROR, "Can not link %s to %s: %s\n", Src->name, Dst->name,
           AVErrorText(r).c_str());
  return r >= 0;
}
