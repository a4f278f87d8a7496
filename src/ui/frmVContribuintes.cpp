#include "ui/frmVContribuintes.h"

#include <QTableView>
#include <map>
#include <utility>

#include "data/Cadastros.h"
#include "data/dmPrincipal.h"
#include "ui/Ajuda.h"
#include "ui/frmEContribuintes.h"

namespace kov::ui {

std::unique_ptr<ConjuntoLinhas<Contribuinte>> CriarConjuntoContribuintes(Tdm& dm) {
    // Descrições pela chave, das tabelas de referência já abertas pelo módulo de dados
    auto municipios = std::make_shared<std::map<int, std::string>>();
    for (const auto& m : dm.ref.cdsMunicipio) (*municipios)[m.CODDRUMUNICIPIO] = m.DESCRICAO;
    auto tipos = std::make_shared<std::map<int, std::string>>();
    for (const auto& t : dm.ref.cdsTipoContribuinte) (*tipos)[t.TIPOCONTRIBUINTE_ID] = t.TITULO;
    auto atividades = std::make_shared<std::map<std::pair<std::string, std::string>, std::string>>();
    for (const auto& c : dm.ref.cdsCNAEF) (*atividades)[{c.CNAEF_ID, c.DESMEMBRAMENTO}] = c.DESCRICAO;

    auto ui = std::make_shared<InteracaoTela>(dm.ui());
    ConjuntoLinhas<Contribuinte>::Operacoes ops;
    ops.carregar = [&dm] {
        std::vector<Contribuinte> v;
        for (auto& l : ListarContribuintes(dm.MainConnection)) v.push_back(std::move(l.c));
        return v;
    };
    ops.novo = [] { return NovoContribuinte(); };
    ops.gravar = [&dm, ui](Contribuinte& c) { GravarContribuinte(dm.MainConnection, c, *ui); };
    ops.excluir = [&dm](const Contribuinte& c) { ExcluirContribuinte(dm.MainConnection, c.CONTRIBUINTE_ID); };

    using Consulta = ConjuntoLinhas<Contribuinte>::Consulta;
    std::vector<Consulta> consultas;
    consultas.push_back({Campo{"DESCRICAO_MUNICIPIO", "Municipio", EspecieColuna::Texto, false, true, "CODDRUMUNICIPIO"},
                         [municipios](const Contribuinte& c) -> fb::Valor {
                             if (!c.CODDRUMUNICIPIO) return {};
                             const auto i = municipios->find(*c.CODDRUMUNICIPIO);
                             return i == municipios->end() ? fb::Valor() : fb::Valor(i->second);
                         }});
    consultas.push_back({Campo{"TITULO_TIPO", "Tipo Contribuinte", EspecieColuna::Texto, false, true,
                               "TIPOCONTRIBUINTE_ID"},
                         [tipos](const Contribuinte& c) -> fb::Valor {
                             if (!c.TIPOCONTRIBUINTE_ID) return {};
                             const auto i = tipos->find(*c.TIPOCONTRIBUINTE_ID);
                             return i == tipos->end() ? fb::Valor() : fb::Valor(i->second);
                         }});
    // A descrição é marcada obrigatória como as suas chaves (vale a última)
    consultas.push_back({Campo{"CNAEF_DESCRICAO", "Atividade Econômica", EspecieColuna::Texto, false, true,
                               "CNAEF_ID;DESMEMBRAMENTO"},
                         [atividades](const Contribuinte& c) -> fb::Valor {
                             const auto i = atividades->find({c.CNAEF_ID, c.DESMEMBRAMENTO});
                             return i == atividades->end() ? fb::Valor() : fb::Valor(Aparar(i->second));
                         }});

    return std::make_unique<ConjuntoLinhas<Contribuinte>>(
        "cdsContribuinte", std::move(ops),
        std::vector<DescricaoCampo>{
            {"CONTRIBUINTE_ID", "Código", false},
            {"CNAEF_ID", "CNAE", true},
            {"DESMEMBRAMENTO", "Desmembramento", true},
            {"CODDRUMUNICIPIO", "Municipio", true},
            {"UF_ID", "UF", true},
            {"TIPOCONTRIBUINTE_ID", "Tipo Contribuinte", true},
            {"RAZAOSOCIAL", "Razão Social", true},
            {"ENDERECO", "Logradouro", false},
            {"NUMERO", "Número", false},
            {"COMPLEMENTO", "Complemento", false},
            {"BAIRRO", "Bairro", false},
            {"CEP", "CEP", true},
            {"CAIXAPOSTAL", "Caixa Postal", false},
            {"AGENCIAPOSTAL", "Agência Postal", false},
            {"TELEFONE", "Telefone", false},
            {"EMAIL", "Email", true},
            {"DDD", "DDD", false},
            {"INSCESTADUAL", "Inscrição Estadual", true},
            {"RESPONSAVEL_ID", "Responsável", true},
            {"CNPJ", "CNPJ", true},
        },
        std::move(consultas));
}

TFormVisaoContribuintes::TFormVisaoContribuintes(Tdm& dm, QWidget* pai) : TfrmVisaoAncestral(dm, pai) {
    setObjectName(QStringLiteral("FormVisaoContribuintes"));
    setWindowTitle(QStringLiteral("Cadastro de Contribuintes"));
    DefinirContextoAjuda(this, ContextoAjuda::Contribuintes);
    definirConjunto(CriarConjuntoContribuintes(dm),
                    {"INSCESTADUAL", "RAZAOSOCIAL", "DESCRICAO_MUNICIPIO", "TITULO_TIPO", "EMAIL"});
    definirEdicao([this](QWidget* p) { return new TFormEdicaoContribuinte(this->dm(), conjunto(), p); });
    grade()->setColumnWidth(0, 130);
    grade()->setColumnWidth(1, 260);
    grade()->setColumnWidth(2, 170);
    grade()->setColumnWidth(3, 170);
    resize(920, 480);
}

}  // namespace kov::ui
