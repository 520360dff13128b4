// The attachments window: the list of an occurrence's files and what a person does with
// them. Every file goes through the server in checksummed parts; a copy opened or saved is
// put in place only once it arrived whole.
#include "treatment/Anx_oca0082a.h"

#include "core/file_kind.h"
#include "framework/controls/application.h"
#include "framework/host/consiste.h"
#include "framework/host/host_context.h"
#include "framework/host/host_dialogs.h"
#include "framework/net/attachment_transfer.h"
#include "framework/ui/ui_driver.h"
#include "treatment/Cli_oca0082a.h"

#include <unistd.h>

#include <filesystem>

namespace {

// Progress of a long transfer in the notice, which also lets the person stop it.
TransferProgress Notice(const std::string& what) {
    return [what](std::int64_t done, std::int64_t total) {
        const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
        return Ui().ProgressGoesOn(what + " (" + std::to_string(percent) + "%)");
    };
}

// A private folder for the copies opened in the system's viewer: removed with the
// process's other temporary files, never shared with another user.
std::filesystem::path CopiesFolder() {
    const auto folder =
        std::filesystem::temp_directory_path() /
        ("oca-anexos-" + std::to_string(::getuid()) + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    return folder;
}

} // namespace

TfrmAnexos::TfrmAnexos(TComponent* Owner) : TForm(Owner) {
    InitInheritedComponent(*this, "TfrmAnexos", Published());
    OnDropFiles = [this](TObject*, const std::vector<std::string>& paths) {
        AddFiles(paths);
    };
}

const PublishedTable& TfrmAnexos::Published() {
    static const PublishedTable table = [] {
        using F = TfrmAnexos;
        PublishedTable t;
#define OCA_HANDLER(name) t.Handler(#name, &F::name)
#define OCA_COMPONENT(name) t.Component(#name, &F::name)
        OCA_HANDLER(netAnexosBeforeConnect);
        OCA_HANDLER(cdsAnexosAfterScroll);
        OCA_HANDLER(sbtAdicionarClick);
        OCA_HANDLER(sbtAbrirClick);
        OCA_HANDLER(sbtSalvarComoClick);
        OCA_HANDLER(sbtRemoverClick);
        OCA_HANDLER(sbtFecharClick);
        OCA_COMPONENT(sbtAdicionar);
        OCA_COMPONENT(sbtAbrir);
        OCA_COMPONENT(sbtSalvarComo);
        OCA_COMPONENT(sbtRemover);
        OCA_COMPONENT(sbtFechar);
        OCA_COMPONENT(dbgAnexos);
        OCA_COMPONENT(imgMiniatura);
        OCA_COMPONENT(lblResumo);
        OCA_COMPONENT(netAnexos);
        OCA_COMPONENT(cdsAnexos);
        OCA_COMPONENT(dtsAnexos);
#undef OCA_HANDLER
#undef OCA_COMPONENT
        return t;
    }();
    return table;
}

void TfrmAnexos::netAnexosBeforeConnect(TObject*) {
    UseHostServer(*netAnexos);
}

void TfrmAnexos::ShowOccurrence(const std::string& branch, const std::string& number) {
    branch_ = branch;
    number_ = number;
    SetCaption("Anexos da ocorrência " + branch + "/" + number);
    Load();
}

void TfrmAnexos::Load() {
    TCursorGuard wait(crHourGlass);
    cdsAnexos->SetData(Consiste::CheckResultServ(
        netAnexos->Call("GetAnexos", {Variant(branch_), Variant(number_)}), true, 0));
    cdsAnexos->FieldByName("QTBYTES").OnGetText = [](TField* f, std::string& text, bool) {
        text = f->IsNull() ? std::string() : SizeText(f->AsInteger());
    };
    std::int64_t total = 0;
    for (cdsAnexos->First(); !cdsAnexos->Eof(); cdsAnexos->Next()) {
        total += cdsAnexos->FieldByName("QTBYTES").AsInteger();
    }
    cdsAnexos->First();
    const int count = cdsAnexos->RecordCount();
    lblResumo->SetCaption(count == 0 ? "Nenhum arquivo anexado."
                                     : std::to_string(count) +
                                           (count == 1 ? " arquivo, " : " arquivos, ") +
                                           SizeText(total) + ".");
    cdsAnexosAfterScroll(cdsAnexos);
}

void TfrmAnexos::cdsAnexosAfterScroll(TDataSet*) {
    const TField* thumbnail = cdsAnexos->FindField("MINIATURA");
    const Variant value = thumbnail && !cdsAnexos->IsEmpty() ? thumbnail->Value() : Variant();
    const Blob* png = value.Get<Blob>();
    imgMiniatura->SetPicture(png ? png->bytes : std::string());
}

int TfrmAnexos::AddFiles(const std::vector<std::string>& paths) {
    int stored = 0;
    for (const std::string& path : paths) {
        const std::string name = std::filesystem::path(path).filename().string();
        AttachmentToSend file{branch_, number_, path, name, Ui().MakeThumbnail(path)};
        TProgressNotice notice(this, 1, "Anexando " + name + "...");
        std::string refusal;
        try {
            refusal = SendAttachment(*netAnexos, file, Notice("Anexando " + name));
        } catch (const Exception& e) {
            refusal = e.Message();
        }
        notice.Hide();
        if (!refusal.empty()) {
            Ui().ShowError(refusal);
            continue;
        }
        ++stored;
    }
    if (!paths.empty()) {
        Load();
    }
    return stored;
}

void TfrmAnexos::sbtAdicionarClick(TObject*) {
    AddFiles(Ui().AskOpenFiles("Anexar arquivos à ocorrência " + branch_ + "/" + number_,
                               "Imagens, PDF e documentos (*.png *.jpg *.jpeg *.gif *.bmp *.tif "
                               "*.tiff *.webp *.pdf *.docx *.xlsx *.pptx *.odt *.ods *.odp *.doc "
                               "*.xls *.ppt *.msg *.txt *.csv *.zip);;Todos os arquivos (*)"));
}

bool TfrmAnexos::HasCurrent() {
    if (cdsAnexos->Active() && !cdsAnexos->IsEmpty()) {
        return true;
    }
    Ui().ShowError("Escolha um anexo da lista.");
    return false;
}

bool TfrmAnexos::Receive(const std::string& path) {
    const AttachedFile file{branch_,
                            number_,
                            cdsAnexos->FieldByName("NMARQUIVO").AsString(),
                            cdsAnexos->FieldByName("NRANEXO").AsInteger(),
                            cdsAnexos->FieldByName("QTBYTES").AsInteger(),
                            cdsAnexos->FieldByName("DSHASH").AsString()};
    TProgressNotice notice(this, 1, "Recebendo " + file.name + "...");
    std::string failure;
    try {
        failure = ReceiveAttachment(*netAnexos, file, path, Notice("Recebendo " + file.name));
    } catch (const Exception& e) {
        failure = e.Message();
    }
    notice.Hide();
    if (!failure.empty()) {
        Ui().ShowError(failure);
        return false;
    }
    return true;
}

void TfrmAnexos::sbtAbrirClick(TObject*) {
    if (!HasCurrent()) {
        return;
    }
    // The copy keeps the file's own name, so that the viewer shows it and picks by it.
    const std::string path = (CopiesFolder() / (cdsAnexos->FieldByName("NRANEXO").AsString() + "-" +
                                                cdsAnexos->FieldByName("NMARQUIVO").AsString()))
                                 .string();
    if (Receive(path) && !Ui().OpenDocument(path)) {
        Ui().ShowError("Nenhum programa do sistema abre este tipo de arquivo; use Salvar como.");
    }
}

void TfrmAnexos::sbtSalvarComoClick(TObject*) {
    if (!HasCurrent()) {
        return;
    }
    const std::optional<std::string> path = Ui().AskSaveFile(
        "Salvar anexo", cdsAnexos->FieldByName("NMARQUIVO").AsString(), "Todos os arquivos (*)");
    if (path && Receive(*path)) {
        Ui().ShowStatus("Anexo salvo em " + *path + ".");
    }
}

void TfrmAnexos::sbtRemoverClick(TObject*) {
    if (!HasCurrent()) {
        return;
    }
    const std::string name = cdsAnexos->FieldByName("NMARQUIVO").AsString();
    if (!Ui().Confirm("Remover o anexo \"" + name + "\" da ocorrência " + branch_ + "/" + number_ +
                      "? A remoção fica registrada no histórico.")) {
        return;
    }
    const Variant answer =
        netAnexos->Call("ExcluiAnexo", {Variant(branch_), Variant(number_),
                                        cdsAnexos->FieldByName("NRANEXO").Value(),
                                        cdsAnexos->FieldByName("NRVERSAO").Value()});
    if (answer.IsError() || !answer.AsString().empty()) {
        Ui().ShowError(answer.AsString());
    }
    Load(); // what is stored now, after a refusal too
}

void TfrmAnexos::sbtFecharClick(TObject*) {
    Close();
}

namespace {

// The occurrence the treatment screen stands on; false, said, when there is none.
bool CurrentOccurrence(TClientDataSet& list, std::string& branch, std::string& number) {
    if (!list.Active() || list.IsEmpty()) {
        Ui().ShowError("Escolha uma ocorrência da lista.");
        return false;
    }
    branch = list.FieldByName("CDFILILANCMO").AsString();
    number = list.FieldByName("NROCORRMOV").AsString();
    return true;
}

} // namespace

void TfrmTratOcorr::mnuAnexosClick(TObject*) {
    std::string branch, number;
    if (CurrentOccurrence(*cdsTratamentos, branch, number)) {
        TfrmAnexos form;
        form.ShowOccurrence(branch, number);
        form.ShowModal();
    }
}

void TfrmTratOcorr::mnuRelatorioClick(TObject*) {
    std::string branch, number;
    if (CurrentOccurrence(*cdsTratamentos, branch, number)) {
        WriteOccurrenceReport(*netTrat, branch, number);
    }
}
