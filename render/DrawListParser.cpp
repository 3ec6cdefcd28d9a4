// The draw-list file reader. A file is three header lines, list A (the closing
// pass's render-target bindings), list B (its sampler states), then steps until
// the end of the file or the first line that names no step.
//
// A list runs until a line whose first value is "END" (consumed). A line with
// a label and no value also ends it, without being consumed, and ends every
// later list of the same header or step; the next step keyword is then looked
// for on that very line, which ends the file.
#include "render/DrawListParser.h"

#include "core/ConfigSyntax.h"
#include "core/ConfigTokenizer.h"
#include "core/ErrorReport.h"
#include "render/DrawList.h"

namespace {

// Hard limits on what one file may hold.
constexpr size_t kMaxListRecords = 64;
constexpr size_t kMaxSteps = 64;
// A hostile file is reported in this many messages at most.
constexpr int kMaxReports = 16;
// How much of a line a report repeats.
constexpr size_t kMaxQuotedLine = 100;

const char* const kEndToken = "END";
const char* const kRenderListStep = "DrawList";
const char* const kPostProcessStep = "FSE";
const char* const kGeometryStep = "GEDL";

struct FilterKeyword
{
    const char* word;
    int kind;
};
const FilterKeyword kFilterKeywords[] = {
    {"None", SampleFilter::kNone},     {"2", SampleFilter::kDownScale2x2}, {"4", SampleFilter::kDownScale4x4},
    {"Gauss5", SampleFilter::kGauss5}, {"BloomW", SampleFilter::kBloomW},  {"BloomH", SampleFilter::kBloomH},
};

struct RectKeyword
{
    const char* word;
    int mode;
};
const RectKeyword kRectKeywords[] = {
    {"Crop", RectMode::kCrop}, {"SrcRect", RectMode::kSrcRect}, {"DestRect", RectMode::kDestRect}};

// What the index of a texture binding names.
enum class BindingTable { kNone, kRenderTargets, kLoadedTextures };

bool IsStepKeyword(const std::string& word)
{
    return word == kRenderListStep || word == kPostProcessStep || word == kGeometryStep;
}

class DrawListReader
{
public:
    DrawListReader(ConfigTokenizer& input, const std::string& path) : input(input), path(path) {}

    void Read(DrawList& out)
    {
        where = "header";
        const bool header = TextField(out.name) && TextField(out.closingTechnique) && NumberField(out.sceneTarget);
        if (!header) {
            Report("the file ends before its three header lines; the chain is empty");
            return;
        }
        if (!IsDrawListTarget(out.sceneTarget)) {
            Report("scene target " + std::to_string(out.sceneTarget) + " names no render target; 0 used");
            out.sceneTarget = 0;
        }
        listsClosed = false;
        where = "closing bindings";
        ReadBindings(out.textureBindings, BindingTable::kRenderTargets);
        where = "closing samplers";
        ReadSamplerStates(out.samplerStates);
        ReadSteps(out.steps);
    }

private:
    // ---- lines

    // Makes the next line current unless one is still pending; false at the end.
    bool Peek()
    {
        if (!pending && !atEnd) {
            pending = input.ReadLine(line);
            atEnd = !pending;
        }
        return pending;
    }

    void Consume() { pending = false; }

    std::string Quoted() const
    {
        std::string text;
        for (const std::string& token : line) {
            if (!text.empty()) text += ' ';
            text += token;
        }
        if (text.size() > kMaxQuotedLine) text = text.substr(0, kMaxQuotedLine) + "...";
        return " (\"" + text + "\")";
    }

    // ---- reports

    void Report(const std::string& message)
    {
        ++reports;
        if (reports > kMaxReports) return;
        if (reports == kMaxReports) {
            REPORT_ERROR("Draw-list file " + path + ": further problems are not reported");
            return;
        }
        REPORT_ERROR("Draw-list file " + path + ", " + where + ": " + message);
    }

    // The first problem of the current line; Finish reports it.
    void Problem(const std::string& message)
    {
        if (problem.empty()) problem = message;
    }

    void Finish()
    {
        if (problem.empty()) return;
        Report(problem + Quoted());
        problem.clear();
    }

    // ---- values of the current line (token 0 is the label)

    template <class T>
    T Number(size_t index)
    {
        T value{};
        if (index >= line.size()) {
            Problem("value " + std::to_string(index) + " is missing; 0 used");
            return T();
        }
        if (!ParseConfigNumber(line[index], value)) {
            Problem("\"" + line[index] + "\" is not a usable number; 0 used");
            return T();
        }
        return value;
    }

    std::string Text(size_t index)
    {
        if (index < line.size()) return line[index];
        Problem("the line has no value");
        return std::string();
    }

    // ---- single-line fields; false at the end of the file

    // Makes the next line current, lets `read` take its values, reports its problem.
    template <class Read>
    bool Field(Read read)
    {
        if (!Peek()) return false;
        Consume();
        read();
        Finish();
        return true;
    }

    bool TextField(std::string& out)
    {
        return Field([&] { out = Text(1); });
    }

    template <class T>
    bool NumberField(T& out)
    {
        return Field([&] { out = Number<T>(1); });
    }

    bool FilterField(SampleFilter& filter)
    {
        return Field([&] {
            const std::string word = Text(1);
            bool known = word.empty();
            for (const FilterKeyword& k : kFilterKeywords) {
                if (word == k.word) {
                    filter.kind = k.kind;
                    known = true;
                }
            }
            if (!known) Problem("unknown filter \"" + word + "\"; no filter used");
            if (filter.kind == SampleFilter::kGauss5) filter.multiplier = Number<float>(2);
            if (filter.kind == SampleFilter::kBloomW || filter.kind == SampleFilter::kBloomH) {
                filter.deviation = Number<float>(2);
                filter.multiplier = Number<float>(3);
                if (!(filter.deviation > 0.0f)) {
                    Problem("a bloom deviation must be above 0; 1.0 used");
                    filter.deviation = kDefaultBloomDeviation;
                }
            }
        });
    }

    bool RectField(RectMode& rect)
    {
        return Field([&] {
            const std::string word = Text(1);
            for (const RectKeyword& k : kRectKeywords) {
                if (word == k.word) rect.mode = k.mode;
            }
        });
    }

    // ---- lists

    // Reads one list; `parse` fills a record from the current line and says
    // whether to keep it.
    template <class Record, class Parse>
    void ReadList(std::vector<Record>& out, Parse parse)
    {
        bool overflowReported = false;
        while (!listsClosed) {
            if (!Peek()) {
                Report("the file ends inside a list");
                listsClosed = true;
                return;
            }
            if (line.size() < 2) {
                Report("a line without a value ends this and every later list here" + Quoted());
                listsClosed = true;
                return;
            }
            Consume();
            if (line[1] == kEndToken) return;
            if (out.size() >= kMaxListRecords) {
                if (!overflowReported)
                    Report("more than " + std::to_string(kMaxListRecords) + " records; the rest are ignored");
                overflowReported = true;
                continue;
            }
            Record record;
            const bool keep = parse(record);
            Finish();
            if (keep) out.push_back(record);
        }
    }

    bool CheckTarget(long long index, const char* what)
    {
        if (IsDrawListTarget(index)) return true;
        Problem(std::string(what) + " " + std::to_string(index) + " names no render target; dropped");
        return false;
    }

    void ReadClears(std::vector<ClearRecord>& out)
    {
        ReadList(out, [this](ClearRecord& c) {
            c.flags = Number<unsigned>(1);
            c.red = Number<float>(2);
            c.green = Number<float>(3);
            c.blue = Number<float>(4);
            c.alpha = Number<float>(5);
            c.depth = Number<float>(6);
            c.stencil = Number<unsigned>(7);
            return true;
        });
    }

    void ReadRenderStates(std::vector<RenderStateRecord>& out)
    {
        ReadList(out, [this](RenderStateRecord& r) {
            r.type = Number<unsigned>(1);
            r.value = Number<unsigned>(2);
            if (IsDrawListRenderState(r.type)) return true;
            Problem("render state " + std::to_string(r.type) + " is no render state; dropped");
            return false;
        });
    }

    void ReadSamplerStates(std::vector<SamplerStateRecord>& out)
    {
        ReadList(out, [this](SamplerStateRecord& s) {
            s.sampler = Number<unsigned>(1);
            s.type = Number<unsigned>(2);
            if (!IsDrawListSampler(s.sampler)) {
                Problem("sampler " + std::to_string(s.sampler) + " is no sampler (0 to " +
                        std::to_string(kSamplerCount - 1) + "); dropped");
                return false;
            }
            if (!IsDrawListSamplerState(s.type)) {
                Problem("sampler state " + std::to_string(s.type) + " is no sampler state; dropped");
                return false;
            }
            s.value = Number<unsigned>(3);
            return true;
        });
    }

    void ReadBindings(std::vector<TextureBinding>& out, BindingTable table)
    {
        ReadList(out, [this, table](TextureBinding& b) {
            b.parameter = line[1];
            b.index = Number<int>(2);
            if (table == BindingTable::kRenderTargets) return CheckTarget(b.index, "render target");
            if (table == BindingTable::kLoadedTextures && !IsDrawListTexture(b.index)) {
                Problem("texture " + std::to_string(b.index) + " is not a loaded texture; dropped");
                return false;
            }
            return true;
        });
    }

    void ReadSwaps(std::vector<TargetSwap>& out)
    {
        ReadList(out, [this](TargetSwap& s) {
            s.first = Number<unsigned>(1);
            s.second = Number<unsigned>(2);
            return CheckTarget(s.first, "swap index") && CheckTarget(s.second, "swap index");
        });
    }

    // ---- steps

    void ReadSteps(std::vector<DrawListGroup>& steps)
    {
        int number = 0;
        while (Peek() && line.size() >= 2 && IsStepKeyword(line[1])) {
            where = "step " + std::to_string(++number);
            if (steps.size() >= kMaxSteps) {
                Report("more than " + std::to_string(kMaxSteps) + " steps; the rest are ignored");
                return;
            }
            const std::string kind = line[1];
            Consume();
            listsClosed = false;
            DrawListGroup group;
            const bool keep = kind == kRenderListStep    ? ReadRenderListPass(group)
                              : kind == kPostProcessStep ? ReadPostProcessPass(group)
                                                         : ReadGeometryPass(group);
            if (keep) steps.push_back(std::move(group));
        }
    }

    // Names the step in later reports once its name line has been read.
    bool NameField(std::string& name)
    {
        if (!TextField(name)) return false;
        where += " \"" + name + "\"";
        return true;
    }

    bool Truncated()
    {
        Report("the file ends inside the step; step dropped");
        return false;
    }

    // A step-level index out of its table drops the whole step.
    bool StepIndexOk(bool ok, const char* what, int index)
    {
        if (!ok) Report(std::string(what) + " " + std::to_string(index) + " is out of range; step dropped");
        return ok;
    }

    // The lists every scene step has, then its checked indices.
    void ReadSceneStepStates(SceneStepStates& p)
    {
        ReadClears(p.clears);
        ReadRenderStates(p.renderStatesBefore);
        ReadRenderStates(p.renderStatesAfter);
        ReadSamplerStates(p.samplerStatesBefore);
        ReadSamplerStates(p.samplerStatesAfter);
    }

    bool SceneStepIndicesOk(const SceneStepStates& p)
    {
        return StepIndexOk(IsDrawListRenderList(p.renderList), "render list", p.renderList) &&
               StepIndexOk(IsDrawListTarget(p.target), "target", p.target);
    }

    bool ReadRenderListPass(DrawListGroup& group)
    {
        RenderListPass p;
        if (!(NameField(p.name) && NumberField(p.renderList) && NumberField(p.target))) return Truncated();
        ReadSceneStepStates(p);
        ReadBindings(p.textureBindings, BindingTable::kNone);
        if (!SceneStepIndicesOk(p)) return false;
        group.renderListPasses.push_back(std::move(p));
        return true;
    }

    bool ReadPostProcessPass(DrawListGroup& group)
    {
        PostProcessPass p;
        if (!(NameField(p.name) && TextField(p.technique) && NumberField(p.source) && NumberField(p.destination) &&
              FilterField(p.filter) && RectField(p.rect))) {
            return Truncated();
        }
        ReadClears(p.clears);
        ReadSamplerStates(p.samplerStatesBefore);
        ReadSamplerStates(p.samplerStatesAfter);
        ReadBindings(p.textureBindings, BindingTable::kLoadedTextures);
        ReadBindings(p.targetBindings, BindingTable::kRenderTargets);
        ReadSwaps(p.swaps);
        if (!StepIndexOk(IsDrawListTarget(p.source), "source", p.source) ||
            !StepIndexOk(IsDrawListTarget(p.destination), "destination", p.destination)) {
            return false;
        }
        group.postProcessPasses.push_back(std::move(p));
        return true;
    }

    bool ReadGeometryPass(DrawListGroup& group)
    {
        GeometryPass p;
        if (!(NameField(p.name) && TextField(p.technique) && NumberField(p.renderList) && NumberField(p.target) &&
              NumberField(p.withHeightmaps))) {
            return Truncated();
        }
        ReadSceneStepStates(p);
        ReadBindings(p.textureBindings, BindingTable::kLoadedTextures);
        if (!SceneStepIndicesOk(p)) return false;
        group.geometryPasses.push_back(std::move(p));
        return true;
    }

    ConfigTokenizer& input;
    const std::string& path;
    std::vector<std::string> line;
    bool pending = false;
    bool atEnd = false;
    bool listsClosed = false;
    std::string where;
    std::string problem;
    int reports = 0;
};

} // namespace

void ParseDrawList(ConfigTokenizer& input, const std::string& path, DrawList& out)
{
    DrawListReader reader(input, path);
    reader.Read(out);
}
