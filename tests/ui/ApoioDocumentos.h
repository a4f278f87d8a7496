#pragma once
// Apoio aos testes do editor da declaração: a base com os contribuintes de teste, o editor
// aberto sobre uma declaração nova ou gravada e o cabeçalho preenchido como o usuário faz.
#include <QString>
#include <memory>
#include <string>

#include "ApoioUi.h"
#include "apoio/Cadastro.h"
#include "data/Cadastros.h"
#include "data/EdicaoDeclaracao.h"
#include "data/LinhasBanco.h"
#include "data/RegrasDeclaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"
#include "ui/frmEDocumentos.h"

class QComboBox;
class QTableView;

namespace kov::teste {

using ui::TFormEdicaoDocumentos;

// Escolhe numa lista pela lista aberta, como com o mouse: o item que começa com o texto.
void escolherNaLista(QComboBox* cb, const QString& comeco);
// Digita numa célula da grade: a primeira tecla abre a célula, as outras vão para ela.
void digitarNaCelula(QTableView* grade, const QString& texto);
// Escolhe o município do cabeçalho pelo localizador.
void escolherMunicipio(TFormEdicaoDocumentos* t, const QString& nome);
// O cabeçalho inteiro, como o usuário o preenche.
void preencherCabecalho(TFormEdicaoDocumentos* t, const QString& inscricao, const QString& regime,
                        const QString& municipio);

// Uma base com o ano base dado, um responsável e contribuintes: o de tipo 1 (inscrição
// 1234567890107) e um transportador (tipo 0, 9876543210105).
struct Documentos {
    AmbienteTela amb;
    int responsavel = 0;
    Documentos(const std::string& anoBase = "2016") : amb(anoBase) {
        responsavel = gravarResponsavel(*amb.dm, "Ana");
        Contribuinte a = ContribuinteDeTeste(1, municipio(0), "Comércio Ação Ltda");
        a.RESPONSAVEL_ID = responsavel;
        Contribuinte b = ContribuinteDeTeste(2, municipio(1), "Transportes Rápidos");
        b.INSCESTADUAL = "9876543210105";
        b.TIPOCONTRIBUINTE_ID = 0;
        b.RESPONSAVEL_ID = responsavel;
        fb::Transacao tr(amb.dm->MainConnection);
        InserirLinhas(tr, std::vector<Contribuinte>{a, b});
        tr.commit();
    }
    Tdm& dm() { return *amb.dm; }
    int municipio(size_t i) { return amb.dm->ref.cdsMunicipio.at(i).CODDRUMUNICIPIO; }
    QString nomeMunicipio(size_t i) { return QString::fromStdString(amb.dm->ref.cdsMunicipio.at(i).DESCRICAO); }
    int contar(const std::string& tabela) {
        auto tr = fb::Transacao::leitura(amb.dm->MainConnection);
        fb::Comando q(tr, "SELECT COUNT(*) FROM " + tabela);
        q.proximo();
        return static_cast<int>(q.coluna(0).inteiro());
    }
    // Declaração gravada pelo núcleo, com figuras: uma linha de GI e valores no detalhamento.
    int gravarDeclaracao(int regime, int mesInicial = 1, int mesFinal = 12) {
        const std::string ano = amb.dm->LerParametro("ANOEXERCICIO");
        Declaracao d = NovaDeclaracao(ano);
        const Contribuinte c = CarregarContribuinte(amb.dm->MainConnection, 1);
        DefinirContribuinte(d, c);
        d.doc.REGIME_ID = regime;
        d.doc.TIPOCONTRIBUINTE_ID = 1;
        d.doc.CODDRUMUNICIPIO = municipio(0);
        d.doc.MESINICIAL = mesInicial;
        d.doc.MESFINAL = mesFinal;
        CriarSecoesQueFaltam(d);
        d.detalhamento(1)->VCCOMPRAVENDA = Dinheiro::deReais(900);
        GIEntrada gi;
        ZerarCampos(gi);
        gi.UF_ID = "SP";
        gi.VALORCONTABIL = Dinheiro::deReais(50);
        d.giEntrada.push_back(gi);
        SalvarDeclaracao(amb.dm->MainConnection, d, c, 2026, ano);
        return d.doc.DOCUMENTO_ID;
    }
};

// Editor aberto sobre uma declaração nova ou a primeira da lista, com o ano corrente dado.
struct Editor {
    ConjuntoDeclaracoes cds;
    std::unique_ptr<TFormEdicaoDocumentos> tela;
    Editor(Documentos& d, int anoCorrente, bool nova) : cds(d.dm()) {
        cds.anoCorrente = [anoCorrente] { return anoCorrente; };
        cds.abrir();
        if (nova) cds.inserir();
        else cds.editar();
        tela = std::make_unique<TFormEdicaoDocumentos>(d.dm(), &cds);
    }
};

}  // namespace kov::teste
