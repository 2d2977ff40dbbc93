#include "records/uSendToWeb.h"

namespace kelani {

int SendToWeb(const TCustomINetHighscore& table, TCustomWebPost& post) {
    post.Server = table.Server;
    post.Action = table.Action;
    const TJwValueList& shape = table.Template();
    for (int i = 0; i < table.Count(); ++i) {
        if (table.OnFilter && !table.OnFilter(table.Entry(i))) continue;
        std::vector<std::pair<std::string, std::string>> texts;
        for (int k = 0; k < shape.Count(); ++k)
            texts.emplace_back(shape.Items(k).Name(), table.GetText(shape.Items(k).Name(), i));
        post.Items =
            HighscoreFormItems(texts, table.GameName, table.GameIndex, table.CheckModulus, table.CheckBase);
        if (!post.Post() && !post.Refused) return -1;
    }
    return 0;
}

TSendCounts CountAnswers(const std::vector<std::string>& answers) {
    TSendCounts counts;
    for (const std::string& answer : answers) {
        if (answer == "stored")
            ++counts.Stored;
        else if (answer == "known")
            ++counts.Known;
        else if (answer.starts_with("not kept"))
            ++counts.NotKept;
        else
            ++counts.Other;
    }
    return counts;
}

} // namespace kelani
