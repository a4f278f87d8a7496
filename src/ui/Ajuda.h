#pragma once
// Ajuda do programa: páginas HTML da pasta "ajuda" do programa, uma por número de contexto
// (<pasta do programa>/ajuda/<contexto>.html). F1 em qualquer janela abre a ajuda no
// contexto da janela ativa, salvo quando ela é uma caixa de mensagem.
#include <QDialog>
#include <QString>
#include <string>

class QTextBrowser;

namespace kov {
class Interacao;
}

namespace kov::ui {

// Números de contexto da ajuda de cada janela.
namespace ContextoAjuda {
inline constexpr int Geral = 0;
inline constexpr int Principal = 1;
inline constexpr int Contribuintes = 7;
inline constexpr int Responsaveis = 10;
inline constexpr int Documentos = 12;
inline constexpr int Gravacao = 17;
inline constexpr int Transmissao = 20;
inline constexpr int Backup = 25;
inline constexpr int PreloEntrada = 29;
inline constexpr int EntradasEstado = 30;
inline constexpr int EntradasOutrosEstados = 31;
inline constexpr int PreloSaida = 32;
inline constexpr int SaidasEstado = 33;
inline constexpr int SaidasExterior = 35;
inline constexpr int SaidasOutrosEstados = 36;
inline constexpr int EntradasExterior = 37;
inline constexpr int PreloEstoque = 38;  // também a demonstração do resultado
inline constexpr int ExclusoesKOV = 40;
inline constexpr int GI = 41;
inline constexpr int DespesasOperacionais = 42;
inline constexpr int OutrasEntradasMunicipio = 43;
inline constexpr int KOV = 44;
inline constexpr int Parametros = 50;
}  // namespace ContextoAjuda

// Cada janela guarda o seu contexto na propriedade "contextoAjuda"; sem ela vale 0.
void DefinirContextoAjuda(QWidget* janela, int contexto);
int ContextoAjudaDe(const QWidget* janela);

// Arquivo da página de um contexto.
QString ArquivoAjuda(const std::string& diretorioPrograma, int contexto);

// Janela "Ajuda": mostra a página de um contexto e navega pelos seus links.
class JanelaAjuda : public QDialog {
    Q_OBJECT
public:
    explicit JanelaAjuda(QWidget* pai = nullptr);
    // Carrega a página; falso (e nada muda) quando ela não existe.
    bool mostrar(const QString& arquivo, int contexto);
    int contexto() const { return contexto_; }
    QTextBrowser* navegador() const { return navegador_; }

private:
    QTextBrowser* navegador_;
    int contexto_ = -1;
};

// Filtro de eventos da aplicação que atende a tecla F1.
class FiltroAjuda : public QObject {
    Q_OBJECT
public:
    FiltroAjuda(Interacao& ui, std::string diretorioPrograma, QObject* pai = nullptr);

    bool eventFilter(QObject* alvo, QEvent* evento) override;

    // Abre a ajuda no contexto da janela dada (a janela ativa). Uma caixa de mensagem não
    // tem ajuda: nada acontece.
    void abrirAjuda(QWidget* janela);
    // Abre a página do contexto numa janela de ajuda sobre 'dona'; sem a página, avisa
    // "Não há arquivo de ajuda".
    void abrirAjuda(int contexto, QWidget* dona);

private:
    Interacao& ui_;
    std::string dir_;
};

}  // namespace kov::ui
