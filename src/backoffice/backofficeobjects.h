#pragma once

#include "backoffice/backofficeclasses.h"

#include <memory>

// The window's back-office objects: each is created on its first use and kept, and all are
// released together at unload, in the window's fixed order.
class BackOfficeObjects {
public:
    explicit BackOfficeObjects(BackOfficeDatabase& database)
        : m_database(database)
    {
    }

    clsConexao& Conexao() { return use(m_conexao); }
    clsBico& Bico() { return use(m_bico); }
    clsProduto& Produto() { return use(m_produto); }
    clsEstoque& Estoque() { return use(m_estoque); }
    clsEncerrante& Encerrante() { return use(m_encerrante); }
    clsAbastecimento& Abastecimento() { return use(m_abastecimento); }

    // Releases every object that was created, in the order clsConexao, clsBico, clsEncerrante,
    // clsEstoque, clsAbastecimento, clsProduto.
    void release()
    {
        m_conexao.reset();
        m_bico.reset();
        m_encerrante.reset();
        m_estoque.reset();
        m_abastecimento.reset();
        m_produto.reset();
    }

private:
    template <typename T> T& use(std::unique_ptr<T>& object)
    {
        if (!object)
            object = std::make_unique<T>(m_database);
        return *object;
    }

    BackOfficeDatabase& m_database;
    std::unique_ptr<clsConexao> m_conexao;
    std::unique_ptr<clsBico> m_bico;
    std::unique_ptr<clsProduto> m_produto;
    std::unique_ptr<clsEstoque> m_estoque;
    std::unique_ptr<clsEncerrante> m_encerrante;
    std::unique_ptr<clsAbastecimento> m_abastecimento;
};
