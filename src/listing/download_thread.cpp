#include "listing/download_thread.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <vector>

#include "app/net_busy.h"
#include "listing/html_producer_factory.h"
#include "text/tokenizer.h"

namespace kanro::listing {
namespace {

constexpr int64_t kDaySeconds = 86400;

// The prefecture number: the integer value of the first two characters.
int PrefectureNumber(const std::string& item) {
  std::string digits = item.substr(0, 2);
  return std::atoi(digits.c_str());
}

}  // namespace

int DownloadThread(DOWNLOADPARAM* param) {
  int exitCode = 0;
  {
    app::NetBusyMarker busy;
    const std::vector<std::string> items = text::TokenizeList(param->programmes);
    const int days = std::clamp(param->days, 0, kMaxDownloadDays);
    param->failedPage.clear();
    param->failure.clear();
    param->marksDropped.clear();
    std::set<std::string> renewedHeads;
    {
      CHtmlProducerFactory factory;
      for (int day = 0; day < days && exitCode == 0; ++day) {
        const int64_t time = param->start + day * kDaySeconds;
        for (const std::string& item : items) {
          CHtmlProducer* producer = item.size() > 2 ? factory.Find(std::string_view(item).substr(2)) : nullptr;
          if (!producer) continue;
          producer->m_hWnd = param->window;
          producer->m_location.SetPrefecture(PrefectureNumber(item));
          producer->m_time = time;
          producer->m_bForce = param->force;
          producer->m_bOnceADay = param->onceADay;
          const std::string headPage = producer->HeadPagePath().string();
          producer->m_bRenewHead = param->renewHeaders && renewedHeads.count(headPage) == 0;
          if (producer->Produce()) {
            // Once per entry; a skipped page leaves it to the next day.
            if (producer->WroteHeadPage()) renewedHeads.insert(headPage);
            if (!producer->MarksDroppedText().empty())
              param->marksDropped.push_back(producer->MarksDroppedText());
          } else {
            param->failedPage = producer->PageName();
            param->failure = producer->FailureText();
            if (param->window) param->window->Post(app::UM_TASKRESULT, app::TASK_FAILED, 0);
            exitCode = 1;
            break;
          }
        }
      }
      if (exitCode == 0 && param->window) {
        if (!param->marksDropped.empty()) {
          std::string notice;
          for (const std::string& text : param->marksDropped) notice += (notice.empty() ? "" : " / ") + text;
          param->window->Send(app::UM_STATUSTEXT, 0, reinterpret_cast<intptr_t>(notice.c_str()));
        }
        param->window->Send(app::UM_TASKRESULT, app::TASK_DOWNLOAD_DONE, 0);
      }
      param->onceADay = false;
    }  // the catalogue and its producers go here
  }    // and the busy marker here
  g_bCancel.store(false);
  return exitCode;
}

}  // namespace kanro::listing
