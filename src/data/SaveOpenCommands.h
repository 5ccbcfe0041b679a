#pragma once
// The file commands of the frame: "&Abrir...", "&Salvar" and "Salvar &Como...".

namespace nivora {

class TForm1;
class TForm2;

// Asks for a project file and opens it in a new document window. A file
// that is not a project of ours gets the refusal message and no window.
void OpenProject(TForm1& frame);
// Saves the document to its file, asking for a name first when it has none.
// True when the file was written.
bool SaveProject(TForm2* document);
// As SaveProject, always asking for the name.
bool SaveProjectAs(TForm2* document);

}  // namespace nivora
