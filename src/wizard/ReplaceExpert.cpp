#include "wizard/ReplaceExpert.h"

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>

#include "files/Paths.h"
#include "ide/IDEUtils.h"
#include "wizard/Dialogs.h"
#include "wizard/RExpertRes.h"
#include "wizard/SaveWarn.h"
#include "wizard/SettingsStore.h"

namespace mirel {

TCompReplaceExpert* ExpertInstance = nullptr;

TCompReplaceExpert::TCompReplaceExpert(TWizardFormClass formClass, String caption,
                                       TComponentReplacer& firstReplacer)
    : caption_(std::move(caption)), form_class_(std::move(formClass)) {
  replacers_.push_back(&firstReplacer);
}

TCompReplaceExpert::~TCompReplaceExpert() {
  if (ExpertInstance == this) ExpertInstance = nullptr;
}

std::shared_ptr<TCompReplaceExpert> TCompReplaceExpert::Create(TWizardFormClass formClass,
                                                               String caption,
                                                               const TProductMenu& menu,
                                                               TComponentReplacer& firstReplacer) {
  std::shared_ptr<TCompReplaceExpert> expert(
      new TCompReplaceExpert(std::move(formClass), std::move(caption), firstReplacer));
  // The item outlives the expert in the host's menu: it must not keep the
  // expert alive, nor call it once the host let it go.
  std::weak_ptr<TCompReplaceExpert> weak = expert;
  TIDEUtils::AddMenuItem(menu, S(res::sMenuCaption), expert->MenuItemName(), [weak](TMenuItem&) {
    if (auto alive = weak.lock()) alive->MenuItemClick();
  });
  return expert;
}

String TCompReplaceExpert::Title() const {
  return FirstReplacer().Options().Title();
}

String TCompReplaceExpert::MenuItemName() const {
  String name = FirstReplacer().Options().Name();
  for (char16_t& c : name)
    if (c == u'/') c = u'_';
  return u"RExpertItem" + name + RemoveAmpersands(caption_);
}

String TCompReplaceExpert::GetIDString() {
  return u"Orvane." + FirstReplacer().Options().Name() + u"MigrationWizard." +
         RemoveAmpersands(caption_);
}

String TCompReplaceExpert::GetName() {
  return Title();
}

void TCompReplaceExpert::AddReplacer(TComponentReplacer& replacer) {
  replacers_.push_back(&replacer);
}

TComponentReplacer& TCompReplaceExpert::GetReplacer(int index) const {
  MIREL_ASSERT(index >= 0 && index < static_cast<int>(replacers_.size()));
  return *replacers_[static_cast<size_t>(index)];
}

TComponentReplacer& TCompReplaceExpert::FirstReplacer() const {
  MIREL_ASSERT(!replacers_.empty());
  return *replacers_.front();
}

void TCompReplaceExpert::Inform(QStringView text) const {
  Dialogs().MessageBox(QApplication::activeWindow(), text.toString(), Q(Title()),
                       QMessageBox::Information);
}

void TCompReplaceExpert::Fail(QStringView text) const {
  Dialogs().MessageBox(QApplication::activeWindow(), text.toString(), Q(Title()),
                       QMessageBox::Critical);
}

// --- One use -------------------------------------------------------------------------

void TCompReplaceExpert::MenuItemClick() {
  // Owned here: freed at the end of the use, also when an exception passes.
  const std::unique_ptr<TWizardForm> form = form_class_(QApplication::activeWindow());
  TReplaceOptions& options = FirstReplacer().Options();
  const QString product = Q(RemoveAmpersands(caption_));
  form->SetProductName(product);
  form->SetOptions(&options);
  form->SetWelcomeText(Q(options.Name()), product);
  form->rbModeReplace->setText(res::sModeReplaceFmt.arg(Q(options.Name())));
  LoadWizardSettings(*form);
  if (Dialogs().ExecDialog(*form) != QDialog::Accepted) return;

  const int mode = form->GetMode();
  if (mode == 100)
    RestoreFiles(S(form->edUndoFile->text()));
  else
    ReplaceComponents(GetReplacer(mode));
  SaveWizardSettings(*form);
}

void TCompReplaceExpert::LoadWizardSettings(TWizardForm& form) {
  const auto store = OpenWizardSettings(caption_);
  FirstReplacer().Options().Load(*store, Title());
  form.LoadSettings(*store, Title());
}

void TCompReplaceExpert::SaveWizardSettings(TWizardForm& form) {
  const auto store = OpenWizardSettings(caption_);
  FirstReplacer().Options().Save(*store, Title());
  form.SaveSettings(*store, Title());
  store->UpdateFile();
}

void TCompReplaceExpert::ReplaceComponents(TComponentReplacer& replacer) {
  const String project = TIDEUtils::GetCurrentProjectFileName();
  const bool projectMode = replacer.Options().Scope() == TRunScope::Project;
  if (!project.empty() && projectMode && !ConfirmWithWarning(Q(Title()), true, Q(caption_), false))
    return;
  if (projectMode) {
    if (!TIDEUtils::SaveCurrentProject()) {
      Inform(res::sNotSaved);
      return;
    }
    HideProjectForms();
  }
  if (!replacer.Run()) {
    Fail(res::sReplaceFailed);
    return;
  }
  if (projectMode) {
    const int count = TIDEUtils::GetProjectModuleCount();
    for (int i = 0; i < count; ++i) {
      const String file = TIDEUtils::GetProjectModuleFileName(i);
      if (IsUnitFile(file)) TIDEUtils::ReloadModuleFile(file);
    }
  }
  Inform(res::sReplaceDone);
}

void TCompReplaceExpert::RestoreFiles(const String& undoFileName) {
  if (!ConfirmWithWarning(Q(Title()), false, Q(caption_), true)) return;
  const String project = TIDEUtils::GetCurrentProjectFileName();
  TIDEUtils::CloseProjectGroup();
  const auto reopen = [&project] {
    if (!project.empty()) TIDEUtils::OpenProjectFile(project);
  };
  TRestoreResult result;
  try {
    result = FirstReplacer().RestoreWithReport(undoFileName);
  } catch (...) {
    // An unreadable undo file must not leave the user without the project
    // he had open.
    reopen();
    throw;
  }
  if (result.NothingToRestore()) {
    Inform(res::sNothingToRestore);
  } else if (result.Succeeded()) {
    Inform(res::sRestoreDone);
  } else {
    // Name every file that was left as it is (changed since the run, a
    // backup that could not be put back, ...), as the command line does.
    QString text = res::sRestoreFailed.toString();
    for (const TRestoreItem& item : result.Items)
      if (item.Status != TRestoreStatus::Restored) text += u'\n' + Q(DescribeRestoreItem(item));
    Fail(text);
  }
  reopen();
}

void TCompReplaceExpert::HideProjectForms() {
  IOTAModuleServices& services = TIDEUtils::GetModuleServices();
  const int count = services.GetModuleCount();
  for (int i = 0; i < count; ++i) {
    const std::shared_ptr<IOTAModule> module = services.GetModule(i);
    if (!module) continue;
    std::shared_ptr<IOTAEditor> code;
    const int files = module->GetModuleFileCount();
    for (int f = 0; f < files && !code; ++f) {
      auto editor = module->GetModuleFileEditor(f);
      if (Supports<IOTASourceEditor>(editor)) code = editor;
    }
    if (!code || files <= 1) continue;
    const int owners = module->GetOwnerCount();
    for (int o = 0; o < owners; ++o) {
      const auto owner = module->GetOwner(o);
      if (owner && owner == TIDEUtils::GetCurrentProject()) {
        code->Show();
        break;
      }
    }
  }
}

}  // namespace mirel
