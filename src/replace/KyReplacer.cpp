#include "replace/KyReplacer.h"

#include <memory>

#include "forms/FollowUpRules.h"
#include "forms/KyFormParser.h"
#include "rtl/KyClasses.h"

namespace mirel {

namespace {

struct TProfiles {
  std::unique_ptr<TReplaceOptions> Options;
  std::unique_ptr<TComponentReplacer> Bde;
  std::unique_ptr<TComponentReplacer> Ado;

  // The replacers borrow the options, so they go first.
  ~TProfiles() {
    Bde.reset();
    Ado.reset();
    Options.reset();
  }
};

struct TProfileState {
  int LoadCount = 0;
  std::unique_ptr<TProfiles> Profiles;
};

// Built on first use, never during static initialisation.
TProfileState& State() {
  static TProfileState state;
  return state;
}

struct TPair {
  const char16_t* Source;
  const char16_t* Target;
};

constexpr TPair kBdePairs[] = {
    {u"TDatabase", u"TKyConnection"},     {u"TQuery", u"TKyQuery"},
    {u"TwwQuery", u"TKyQuery"},           {u"TTable", u"TKyTable"},
    {u"TwwTable", u"TKyTable"},           {u"TStoredProc", u"TKyStoredProc"},
    {u"TwwStoredProc", u"TKyStoredProc"}, {u"TwwDataSource", u"TKyDataSource"},
    {u"TUpdateSQL", u"TKyUpdateSQL"},     {u"EDBEngineError", u"EKyProvError"},
    {u"TBatchMove", u"TQeBatchMove"},
};

constexpr TPair kAdoPairs[] = {
    {u"TADOConnection", u"TKyConnection"}, {u"TADOCommand", u"TKySQL"},
    {u"TADODataSet", u"TKyQuery"},         {u"TADOTable", u"TKyTable"},
    {u"TADOQuery", u"TKyQuery"},           {u"TADOStoredProc", u"TKyStoredProc"},
};

template <size_t N>
std::unique_ptr<TComponentReplacer> MakeReplacer(StringView sourceUnit, const TPair (&pairs)[N],
                                                 TReplaceOptions& options) {
  auto replacer = std::make_unique<TComponentReplacer>(FormParserClassOf<TKyFormParser>, sourceUnit,
                                                       kKyTargetUnits, options);
  for (const TPair& p : pairs) replacer->AddClassPair(p.Source, p.Target);
  return replacer;
}

TProfiles& Loaded() {
  MIREL_ASSERT(State().Profiles != nullptr);
  return *State().Profiles;
}

}  // namespace

void LoadProfiles() {
  TProfileState& state = State();
  if (state.LoadCount++ > 0) return;
  try {
    for (const TClassInfo* cls : KyTargetClasses()) RegisterClass(*cls);
    auto profiles = std::make_unique<TProfiles>();
    profiles->Options = std::make_unique<TReplaceOptions>(u"BDE/ADO");
    profiles->Bde = MakeReplacer(u"DBTables", kBdePairs, *profiles->Options);
    profiles->Bde->SetFollowUpRules(&BdeFollowUpRules());
    profiles->Ado = MakeReplacer(u"ADODB", kAdoPairs, *profiles->Options);
    profiles->Ado->SetFollowUpRules(&AdoFollowUpRules());
    state.Profiles = std::move(profiles);
  } catch (...) {
    state.LoadCount = 0;
    for (const TClassInfo* cls : KyTargetClasses()) UnRegisterClass(*cls);
    throw;
  }
}

void UnloadProfiles() {
  TProfileState& state = State();
  MIREL_ASSERT(state.LoadCount > 0);
  if (--state.LoadCount > 0) return;
  state.Profiles.reset();
  for (const TClassInfo* cls : KyTargetClasses()) UnRegisterClass(*cls);
}

bool ProfilesLoaded() {
  return State().Profiles != nullptr;
}

TReplaceOptions& SharedOptions() {
  return *Loaded().Options;
}
TComponentReplacer& BdeReplacer() {
  return *Loaded().Bde;
}
TComponentReplacer& AdoReplacer() {
  return *Loaded().Ado;
}

}  // namespace mirel
