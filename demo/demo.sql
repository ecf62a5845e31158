-- The demo database: customers and their orders (SQLite).
-- Text columns are varchar(n): the SQLite3 ODBC driver reports a plain TEXT as long text.
CREATE TABLE customers (
    id integer PRIMARY KEY,
    name varchar(40) NOT NULL,
    city varchar(20),
    phone varchar(20),
    credit_limit decimal(12,2),
    joined date,
    note varchar(200),
    created_by varchar(20),
    logo blob
);

CREATE TABLE orders (
    id integer PRIMARY KEY,
    customer_id integer NOT NULL REFERENCES customers(id),
    product varchar(60) NOT NULL,
    quantity integer NOT NULL,
    unit_price decimal(10,2) NOT NULL,
    ordered_at datetime NOT NULL,
    shipped date,
    remark varchar(200)
);

INSERT INTO customers VALUES (1, '北京华信科技有限公司', '北京', '010-6552 8899', 150000.00, '2019-03-15',
    '老客户，月结30天', 'admin', x'89504E470D0A1A0A');
INSERT INTO customers VALUES (2, 'O''Reilly Trading', 'Shanghai', NULL, 25000.50, '2021-11-02',
    'Ships from "Dock 5"; pays by wire', NULL, NULL);
INSERT INTO customers VALUES (3, '誠品餐飲（昞記）', '台北', '+886 2 2345 6789', NULL, '2023-07-01',
    NULL, 'sales', x'');
INSERT INTO customers VALUES (4, '广州市天河区小明便利店', '广州', '020-8888 1234', 0.05, NULL,
    '地址：天河路 385 号' || char(13) || char(10) || '联系人：王小明', 'admin', NULL);
INSERT INTO customers VALUES (5, 'Back\slash & Co.', 'Shenzhen', '0755-1234', 99999999.99, '2024-02-29',
    'C:\data\new', NULL, x'00275CFF');

INSERT INTO orders VALUES (1001, 1, '服务器 R740', 2, 38999.00, '2024-01-08 09:30:00', '2024-01-10', NULL);
INSERT INTO orders VALUES (1002, 1, '千兆交换机', 5, 1299.50, '2024-01-08 09:31:15', NULL, '加急');
INSERT INTO orders VALUES (1003, 2, 'Tea set "Longjing"', 12, 88.80, '2024-02-14 16:05:42', '2024-02-20',
    'Customer''s note: fragile');
INSERT INTO orders VALUES (1004, 3, '珍珠奶茶原料包', 40, 45.00, '2024-03-01 00:00:00', NULL, NULL);
INSERT INTO orders VALUES (1005, 4, '矿泉水 550ml×24', 100, 21.90, '2024-03-18 07:45:00', '2024-03-18', '');
INSERT INTO orders VALUES (1006, 5, 'Backup tape \\ LTO-9', 3, 1050.00, '2024-04-02 13:00:00', NULL, NULL);
